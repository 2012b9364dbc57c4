# Test registration for both kinds of tree.
#
# Native tests are discovered per test case. Windows test programs run whole,
# under Wine, through tests/support/wine/wine-run: each gets its own copy of a prefix
# template made once per build tree, so suites that change the registry,
# services or files never see each other's state.

enable_testing()
include(GoogleTest)

# Every test that runs under Wine carries the label "wine". On a machine whose
# kernel runs no 32-bit programs, scripts/test runs the 32-bit tree's tests
# without that label and counts the labelled ones as skipped (ctest -LE wine).
# WINE_TESTS OFF: the Windows test programs are built but not registered.
# WINE_X86_PREFIX OFF: no 32-bit Windows prefix can be made, so the suites
# that need one are not registered.
option(WINE_TESTS "Run the Windows test programs under Wine" ON)
option(WINE_X86_PREFIX "A 32-bit (x86) Wine prefix can be made for the x86 suites" ON)

set(WINE_RUN "${PROJECT_SOURCE_DIR}/tests/support/wine/wine-run")
set(WINE_TEMPLATE "${CMAKE_BINARY_DIR}/wine/template")
set(WINE_SCRATCH "${CMAKE_BINARY_DIR}/wine/runs")
set(WINE_RESULTS "${CMAKE_BINARY_DIR}/wine/results")

# add_unit_test(NAME SOURCES... [LIBS libs...] [DISPLAY] [WIN32_ARCH])
#   DISPLAY     the Windows suite creates windows: run it with its own Xvfb.
#   WIN32_ARCH  run it in a 32-bit (x86) prefix instead of the default AMD64 one.
function(add_unit_test name)
    cmake_parse_arguments(T "DISPLAY;WIN32_ARCH" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
    if(WIN32 AND (NOT WINE_TESTS OR (T_WIN32_ARCH AND NOT WINE_X86_PREFIX)))
        return()  # built, not run
    elseif(WIN32)
        set(flags)
        if(T_DISPLAY)
            list(APPEND flags --display)
        endif()
        set(template "${WINE_TEMPLATE}")
        set(fixture wine_template)
        if(T_WIN32_ARCH)
            set(template "${WINE_TEMPLATE}-win32")
            set(fixture wine_template_win32)
        endif()
        # The suite runs as one test, so a case it skips would count as
        # passed: its XML report lets scripts/test count the skipped cases.
        add_test(NAME ${name}
                 COMMAND ${WINE_RUN} --template ${template} --scratch ${WINE_SCRATCH}/${name} ${flags}
                         -- $<TARGET_FILE:${name}> --gtest_output=xml:Z:${WINE_RESULTS}/${name}.xml)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${fixture} LABELS wine TIMEOUT 600)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

if(WIN32 AND BUILD_TESTS AND WINE_TESTS)
    add_test(NAME wine_template COMMAND ${PROJECT_SOURCE_DIR}/tests/support/wine/make-template ${WINE_TEMPLATE})
    set_tests_properties(wine_template PROPERTIES FIXTURES_SETUP wine_template LABELS wine TIMEOUT 600)
endif()
if(WIN32 AND BUILD_TESTS AND WINE_TESTS AND WINE_X86_PREFIX)
    add_test(NAME wine_template_win32 COMMAND ${PROJECT_SOURCE_DIR}/tests/support/wine/make-template --win32 ${WINE_TEMPLATE}-win32)
    set_tests_properties(wine_template_win32 PROPERTIES FIXTURES_SETUP wine_template_win32 LABELS wine TIMEOUT 600)
endif()
