# Third-party code, all from Debian: TinyXML and zstd from Debian's source
# packages (with Debian's patches applied by dpkg-source) and GoogleTest from
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

# zstd: the installer decodes its package, the package tool encodes it.
# Natively Debian's libzstd-dev; for MinGW, and for a fuzz tree (whose readers
# must carry the fuzzer's instrumentation all the way down), the library's
# lib/ sources from Debian's source package, compiled here. The container's
# digest, XXH64, comes from the same source in every tree: the shared library
# keeps its copy private.
fetch_debian_source(libzstd ZSTD_DIR)
set(ZSTD_LIB_DIR "${ZSTD_DIR}/lib")
if(WIN32 OR ENABLE_FUZZING)
    file(GLOB zstd_common_sources "${ZSTD_LIB_DIR}/common/*.c")
    file(GLOB zstd_decompress_sources "${ZSTD_LIB_DIR}/decompress/*.c")
    file(GLOB zstd_compress_sources "${ZSTD_LIB_DIR}/compress/*.c")
    add_library(zstd_decoder STATIC ${zstd_common_sources} ${zstd_decompress_sources})
    # Portable C only (no hand-written x86-64 assembly), single-threaded, no
    # legacy formats: the decoder reads only what this tree's encoder writes.
    target_compile_definitions(zstd_decoder PUBLIC ZSTD_DISABLE_ASM ZSTD_LEGACY_SUPPORT=0)
    target_include_directories(zstd_decoder SYSTEM PUBLIC "${ZSTD_LIB_DIR}" "${ZSTD_LIB_DIR}/common")
    target_compile_options(zstd_decoder PRIVATE -w)
    add_library(zstd_encoder STATIC ${zstd_compress_sources})
    target_link_libraries(zstd_encoder PUBLIC zstd_decoder)
    target_compile_options(zstd_encoder PRIVATE -w)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LIBZSTD REQUIRED IMPORTED_TARGET libzstd)
    add_library(zstd_xxhash STATIC "${ZSTD_LIB_DIR}/common/xxhash.c")
    target_include_directories(zstd_xxhash SYSTEM PUBLIC "${ZSTD_LIB_DIR}/common")
    target_compile_options(zstd_xxhash PRIVATE -w)
    add_library(zstd_decoder INTERFACE)
    target_link_libraries(zstd_decoder INTERFACE PkgConfig::LIBZSTD zstd_xxhash)
    add_library(zstd_encoder INTERFACE)
    target_link_libraries(zstd_encoder INTERFACE zstd_decoder)
endif()

if(BUILD_TESTS)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
