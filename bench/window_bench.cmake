# The window's start-up: from starting the installer to its window being
# visible, against an empty dialog from a trivial program built the same way.
# Run by scripts/bench through bench/window_bench.sh (Wine, Xvfb).
if(WIN32 AND BUILD_INSTALLER)
    add_executable(window_floor WIN32 window_floor_win.cpp window_floor.rc)
    # Linked like the installer (resources/CMakeLists.txt), page-aligned
    # sections included.
    target_link_options(window_floor PRIVATE -municode -Wl,--file-alignment,4096)
    target_link_libraries(window_floor PRIVATE user32)
    set_source_files_properties(window_floor.rc PROPERTIES
        OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/resources/dialogs.rc;${PROJECT_SOURCE_DIR}/resources/installer.manifest")

    add_executable(window_bench window_bench_win.cpp)
    target_link_options(window_bench PRIVATE -municode)
    target_link_libraries(window_bench PRIVATE user32)
endif()
