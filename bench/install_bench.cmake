# An unattended installation of the demo package under Wine, timed from
# starting the worker to WorkerFinished, against a plain copy of the same
# files (run by scripts/bench; Wine, Xvfb).
if(WIN32 AND BUILD_INSTALLER)
    add_executable(install_bench install_bench_win.cpp)
    target_link_options(install_bench PRIVATE -municode)
    target_link_libraries(install_bench PRIVATE sequence_win ui_report_sink_win user32)
endif()
