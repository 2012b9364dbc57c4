# Third-party code, all from Debian: TinyXML from Debian's source package
# (with Debian's patches applied by dpkg-source) and GoogleTest from
# /usr/src/googletest, compiled for whichever target this tree builds.

set(DEPS_SOURCE_DIR "${PROJECT_SOURCE_DIR}/build/_sources" CACHE PATH "Where third-party sources are unpacked")

function(fetch_debian_source package out_dir)
    set(dest "${DEPS_SOURCE_DIR}/${package}")
    file(MAKE_DIRECTORY "${DEPS_SOURCE_DIR}")
    file(LOCK "${DEPS_SOURCE_DIR}/${package}.lock")
    if(NOT EXISTS "${dest}/.unpacked")
        set(download "${DEPS_SOURCE_DIR}/${package}-download")
        file(REMOVE_RECURSE "${download}" "${dest}")
        file(MAKE_DIRECTORY "${download}")
        execute_process(COMMAND apt-get source --download-only ${package}
                        WORKING_DIRECTORY "${download}"
                        RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
        file(GLOB dsc "${download}/${package}_*.dsc")
        if(NOT rc EQUAL 0 OR NOT dsc)
            message(FATAL_ERROR "apt-get source ${package} failed (run scripts/setup-deps first): ${err}")
        endif()
        execute_process(COMMAND dpkg-source -x "${dsc}" "${dest}"
                        RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "dpkg-source -x ${dsc} failed: ${err}")
        endif()
        file(TOUCH "${dest}/.unpacked")
    endif()
    file(LOCK "${DEPS_SOURCE_DIR}/${package}.lock" RELEASE)
    set(${out_dir} "${dest}" PARENT_SCOPE)
endfunction()

fetch_debian_source(tinyxml TINYXML_DIR)
add_library(tinyxml STATIC
    ${TINYXML_DIR}/tinyxml.cpp
    ${TINYXML_DIR}/tinyxmlparser.cpp
    ${TINYXML_DIR}/tinyxmlerror.cpp
    ${TINYXML_DIR}/tinystr.cpp)
target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
target_include_directories(tinyxml SYSTEM PUBLIC ${TINYXML_DIR})
target_compile_options(tinyxml PRIVATE -w)

if(BUILD_TESTS)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
