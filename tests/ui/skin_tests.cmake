# The skinned window's portable core (layout, path compaction, control
# pointer logic, licence text, report texts), and on win32 its GDI+ painting
# into a memory surface, checked pixel by pixel.
add_unit_test(skin_core_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/skin_layout_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/path_compaction_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/skin_control_state_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/skin_focus_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/license_text_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/status_text_test.cpp
    LIBS ui_core)

if(WIN32)
    set(skin_paint_sources ${CMAKE_CURRENT_LIST_DIR}/skin_paint_win_test.cpp)
    get_property(skin_logo GLOBAL PROPERTY LOGO_PNG_FILE)
    get_property(skin_icon GLOBAL PROPERTY ICON_FILE)
    if(skin_logo)
        # The generated artwork as the test program's icon 128 and "PNG" 129.
        set(skin_logo_rc ${CMAKE_CURRENT_BINARY_DIR}/skin_test_logo.rc)
        file(GENERATE OUTPUT ${skin_logo_rc} CONTENT "128 ICON \"${skin_icon}\"\n129 PNG \"${skin_logo}\"\n")
        set_source_files_properties(${skin_logo_rc} PROPERTIES OBJECT_DEPENDS "${skin_logo};${skin_icon}")
        list(APPEND skin_paint_sources ${skin_logo_rc})
    endif()
    add_unit_test(skin_paint_win_tests DISPLAY SOURCES ${skin_paint_sources} LIBS ui_skin_win)
    if(skin_logo)
        target_compile_definitions(skin_paint_win_tests PRIVATE SKIN_TEST_HAS_LOGO=1)
        add_dependencies(skin_paint_win_tests skin_artwork)
    endif()
endif()
