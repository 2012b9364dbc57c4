# The install sequence end to end under Wine: real installations of the demo
# package and of small purpose-built packages, driven through a hidden report
# window, checked through the Win32 API. Every suite creates windows and the
# payload's panel, so each runs with its own display.
if(WIN32 AND BUILD_INSTALLER)
    get_property(sequence_demo_package GLOBAL PROPERTY DEMO_PACKAGE_FILE)

    add_library(sequence_test_support STATIC
        ${CMAKE_CURRENT_LIST_DIR}/sequence_harness_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/machine_state_win.cpp)
    target_compile_definitions(sequence_test_support PRIVATE DEMO_PACKAGE_UNIX_PATH="${sequence_demo_package}")
    target_link_libraries(sequence_test_support PUBLIC sequence_win ui_report_sink_win test_support platform_win ole32 uuid shell32 advapi32)
    add_dependencies(sequence_test_support demo_package)

    add_unit_test(sequence_full_install_tests DISPLAY
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/full_install_test.cpp
        LIBS sequence_test_support)
    add_unit_test(sequence_full_install_x86_tests DISPLAY WIN32_ARCH
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/full_install_test.cpp
        LIBS sequence_test_support)
    target_compile_definitions(sequence_full_install_x86_tests PRIVATE EXPECT_X86)

    add_unit_test(sequence_install_tests DISPLAY
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/sequence_install_test.cpp
        LIBS sequence_test_support)
    # The legacy service of an earlier copy is a TestService.exe.
    add_dependencies(sequence_install_tests TestService)
    add_unit_test(sequence_rollback_tests DISPLAY
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/sequence_rollback_test.cpp
        LIBS sequence_test_support)
endif()

# The same snapshot for the shell tests, as a program.
if(WIN32 AND BUILD_INSTALLER)
    add_executable(machine_snapshot ${CMAKE_CURRENT_LIST_DIR}/machine_snapshot_win.cpp)
    target_link_libraries(machine_snapshot PRIVATE sequence_test_support)
    target_link_options(machine_snapshot PRIVATE -municode)
endif()
