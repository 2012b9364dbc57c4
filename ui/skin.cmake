# The skinned window's drawing and controls.
#
#   ui_core      (portable, native and win32): layout, path compaction, the
#                controls' pointer logic, licence-text choice, report texts.
#   ui_skin_win  (win32): the controls, the off-screen surface and the
#                painters, on GDI+.
#
# Artwork: the icon and the logo are drawn by tools/make_artwork, a host
# program (built in the native tree; a win32 tree takes it from the folder of
# HOST_PKGTOOL, like the payload's other generators). When it is available
# this file generates both and publishes, for resources/:
#   global property ICON_FILE      - the .ico for `128 ICON`
#   global property LOGO_PNG_FILE  - the 250 x 35 PNG for `129 PNG`
#   target          skin_artwork   - add_dependencies() on it before using them
# Without the tool (no HOST_PKGTOOL) the properties stay unset.

add_library(ui_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/skin_layout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/path_compaction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_control_state.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_focus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/license_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/status_text.cpp)
target_include_directories(ui_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ui_core PUBLIC engine_core config_core)

if(WIN32)
    add_library(ui_skin_win STATIC
        ${CMAKE_CURRENT_LIST_DIR}/skin_dpi_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/skin_text_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/skin_controls_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/skin_surface_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/skin_focus_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/skin_accessible_win.cpp)
    target_link_libraries(ui_skin_win PUBLIC ui_core config_core delay_gdiplus gdi32 user32 ole32 delay_oleaut32 delay_oleacc uuid)

    if(HOST_PKGTOOL)
        get_filename_component(skin_host_tools "${HOST_PKGTOOL}" DIRECTORY)
        set(skin_make_artwork "${skin_host_tools}/make_artwork")
        set(skin_artwork_dir "${CMAKE_BINARY_DIR}/artwork")
        add_custom_command(
            OUTPUT ${skin_artwork_dir}/logo.png ${skin_artwork_dir}/installer.ico
            COMMAND ${CMAKE_COMMAND} -E make_directory ${skin_artwork_dir}
            COMMAND ${skin_make_artwork} ${skin_artwork_dir}/logo.png ${skin_artwork_dir}/installer.ico
            DEPENDS ${skin_make_artwork}
            COMMENT "Drawing the installer's icon and logo")
        add_custom_target(skin_artwork DEPENDS ${skin_artwork_dir}/logo.png ${skin_artwork_dir}/installer.ico)
        set_property(GLOBAL PROPERTY LOGO_PNG_FILE "${skin_artwork_dir}/logo.png")
        set_property(GLOBAL PROPERTY ICON_FILE "${skin_artwork_dir}/installer.ico")
    endif()
endif()
