# The installer's window: the timers' rules (portable), the dialog framework,
# the licence dialog and the path rules as GoogleTest suites, and the whole
# program driven through a private Xvfb with xdotool (window_ui_test.sh; on
# scaled displays window_dpi_test.sh).
add_unit_test(window_timers_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_timers_test.cpp
    LIBS ui_window_core)

if(WIN32)
    add_unit_test(window_dialogs_tests DISPLAY
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_dialogs_test.cpp ${PROJECT_SOURCE_DIR}/resources/dialogs.rc
        LIBS ui_window_win)

    if(BUILD_INSTALLER AND WINE_TESTS)
        # Looks at the window from a second process of the same Wine session.
        add_executable(window_probe ${CMAKE_CURRENT_LIST_DIR}/window_probe_win.cpp)
        target_link_libraries(window_probe PRIVATE ui_skin_win)
        target_link_options(window_probe PRIVATE -municode)

        add_test(NAME window_ui_tests
                 COMMAND ${CMAKE_CURRENT_LIST_DIR}/window_ui_test.sh
                         --template ${WINE_TEMPLATE} --scratch ${WINE_SCRATCH}/window_ui_tests
                         --installer $<TARGET_FILE:TrovalisInstallV7> --probe $<TARGET_FILE:window_probe>
                         --shell $<TARGET_FILE:TestShell>
                         --artifacts ${CMAKE_BINARY_DIR}/artifacts)
        set_tests_properties(window_ui_tests PROPERTIES FIXTURES_REQUIRED wine_template LABELS wine TIMEOUT 900)

        # The same window on displays of 96, 144 and 192 dots per inch.
        add_test(NAME window_dpi_tests
                 COMMAND ${CMAKE_CURRENT_LIST_DIR}/window_dpi_test.sh
                         --template ${WINE_TEMPLATE} --scratch ${WINE_SCRATCH}/window_dpi_tests
                         --installer $<TARGET_FILE:TrovalisInstallV7> --probe $<TARGET_FILE:window_probe>
                         --artifacts ${CMAKE_BINARY_DIR}/artifacts)
        set_tests_properties(window_dpi_tests PROPERTIES FIXTURES_REQUIRED wine_template LABELS wine TIMEOUT 300)
    endif()
endif()
