# The quiet installation against NSIS and a copy floor, whole processes under
# Wine (run by scripts/bench through bench/quiet_install_bench.sh).
if(WIN32 AND BUILD_INSTALLER)
    foreach(tool replace_package copy_floor time_process)
        add_executable(${tool} ${tool}_win.cpp)
        target_link_options(${tool} PRIVATE -municode)
    endforeach()
    target_link_libraries(time_process PRIVATE psapi)
    # The floor is linked like the installer (resources/CMakeLists.txt).
    target_link_options(copy_floor PRIVATE -Wl,--file-alignment,4096)
endif()
