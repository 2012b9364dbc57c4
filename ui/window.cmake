# The application object, the main dialog, the licence dialog and the folder
# picker, on the thin dialog framework.
#
#   ui_window_core (portable): the main dialog's timer state machine.
#   ui_report_sink_win (win32): the window's report sink (also for the tests
#                               and benchmarks that own a report window).
#   ui_window_win  (win32):    the framework, the dialogs and the picker.
add_library(ui_window_core STATIC ${CMAKE_CURRENT_LIST_DIR}/TrovalisInstallV7Timers.cpp)
target_include_directories(ui_window_core PUBLIC ${PROJECT_SOURCE_DIR})

if(WIN32)
    add_library(ui_report_sink_win STATIC ${CMAKE_CURRENT_LIST_DIR}/window_report_sink_win.cpp)
    target_include_directories(ui_report_sink_win PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(ui_report_sink_win PUBLIC engine_win engine_core user32)

    add_library(ui_window_win STATIC
        ${CMAKE_CURRENT_LIST_DIR}/dialog_framework_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/folder_picker_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DlgLicense.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TrovalisInstallV7Dlg.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TrovalisInstallV7.cpp)
    target_include_directories(ui_window_win PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(ui_window_win PUBLIC
        ui_window_core ui_report_sink_win ui_skin_win ui_core sequence_win engine_win engine_core config_win
        config_core
        delay_gdiplus shell32 ole32 user32 gdi32)
endif()
