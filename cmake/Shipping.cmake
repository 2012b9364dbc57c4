# What every program that leaves the build (the installer, the package tool
# and the payload's programs) goes through in a Windows tree:
#   - a VERSIONINFO resource: file and product version from the project
#     version, the vendor's company and product names, a description;
#   - after linking: its debug sections moved into <program>.debug beside it
#     (found again through a .gnu_debuglink section), the program stripped;
#   - when a certificate and key are configured: an Authenticode signature.
# All of it happens in the link step, so a payload program is already
# stripped and signed when the package is staged from it.
#
# Signing settings: the cache variables below, or, while these are empty,
# the environment variables of the same name with a TROVALIS_ prefix
# (TROVALIS_SIGN_CERT, ...), read when the tree is configured.

set(VENDOR_COMPANY "Zorvanelle" CACHE STRING "Company named in the version resource of every shipped program")
set(VENDOR_PRODUCT "ZorvanelleV7" CACHE STRING "Product named in the version resource of every shipped program")
set(SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM or DER, chain included); empty: no signing")
set(SIGN_KEY "" CACHE FILEPATH "Private key of SIGN_CERT (PEM or DER)")
set(SIGN_KEY_PASSWORD_FILE "" CACHE FILEPATH "File holding the password of SIGN_KEY, when it has one")
set(SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamping service for the signatures; empty: none")

foreach(setting SIGN_CERT SIGN_KEY SIGN_KEY_PASSWORD_FILE SIGN_TIMESTAMP_URL)
    set(SHIP_${setting} "${${setting}}")
    if(NOT SHIP_${setting} AND DEFINED ENV{TROVALIS_${setting}})
        set(SHIP_${setting} "$ENV{TROVALIS_${setting}}")
    endif()
endforeach()

if(WIN32)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    if(NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
        message(FATAL_ERROR "Shipped programs are stripped with the toolchain's objcopy and strip, "
                            "which CMake did not find (CMAKE_OBJCOPY, CMAKE_STRIP)")
    endif()
    if(SHIP_SIGN_CERT OR SHIP_SIGN_KEY)
        if(NOT SHIP_SIGN_CERT OR NOT SHIP_SIGN_KEY)
            message(FATAL_ERROR "Signing needs both SIGN_CERT and SIGN_KEY")
        endif()
        foreach(file SHIP_SIGN_CERT SHIP_SIGN_KEY SHIP_SIGN_KEY_PASSWORD_FILE)
            if(${file} AND NOT EXISTS "${${file}}")
                message(FATAL_ERROR "${file}: ${${file}} does not exist")
            endif()
        endforeach()
        find_program(OSSLSIGNCODE osslsigncode REQUIRED)
        message(STATUS "Shipped programs are signed with ${SHIP_SIGN_CERT}")
    endif()
    # Programs are linked again when the signing settings change, so none is
    # left signed with an old certificate or unsigned after one was set.
    file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/shipping-settings.txt"
         CONTENT "cert=${SHIP_SIGN_CERT}\nkey=${SHIP_SIGN_KEY}\npassword=${SHIP_SIGN_KEY_PASSWORD_FILE}\ntimestamp=${SHIP_SIGN_TIMESTAMP_URL}\n")
endif()

# RC strings double their quotation marks.
function(_ship_rc_string out text)
    string(REPLACE "\"" "\"\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# ship_program(TARGET DESCRIPTION text)
#   Gives an executable or DLL target of a Windows tree its version resource
#   and the strip (and sign) step after linking. Does nothing natively.
function(ship_program target)
    cmake_parse_arguments(S "" "DESCRIPTION" "" ${ARGN})
    if(NOT WIN32)
        return()
    endif()
    if(NOT S_DESCRIPTION)
        message(FATAL_ERROR "ship_program(${target}) needs a DESCRIPTION")
    endif()

    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
        set(VI_FILE_TYPE VFT_DLL)
    else()
        set(VI_FILE_TYPE VFT_APP)
    endif()
    set(VI_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
    if(PROJECT_VERSION_TWEAK)
        set(VI_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
    endif()
    set(VI_VERSION_TEXT "${PROJECT_VERSION}")
    _ship_rc_string(VI_COMPANY "${VENDOR_COMPANY}")
    _ship_rc_string(VI_PRODUCT "${VENDOR_PRODUCT}")
    _ship_rc_string(VI_DESCRIPTION "${S_DESCRIPTION}")
    set(VI_FILE_NAME "$<TARGET_FILE_NAME:${target}>")
    set(VI_INTERNAL_NAME "$<TARGET_FILE_BASE_NAME:${target}>")
    set(template "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc.in")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
    configure_file("${PROJECT_SOURCE_DIR}/resources/version.rc.in" "${template}" @ONLY)
    file(GENERATE OUTPUT "${rc}" INPUT "${template}")
    target_sources(${target} PRIVATE "${rc}")

    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND}
                "-DPROGRAM=$<TARGET_FILE:${target}>" "-DPYTHON=${Python3_EXECUTABLE}"
                "-DSET_DELAY_DIRECTORY=${PROJECT_SOURCE_DIR}/tools/pe/set-delay-directory"
                "-DOBJCOPY=${CMAKE_OBJCOPY}" "-DSTRIP=${CMAKE_STRIP}"
                "-DOSSLSIGNCODE=${OSSLSIGNCODE}" "-DSIGN_CERT=${SHIP_SIGN_CERT}" "-DSIGN_KEY=${SHIP_SIGN_KEY}"
                "-DSIGN_KEY_PASSWORD_FILE=${SHIP_SIGN_KEY_PASSWORD_FILE}"
                "-DSIGN_TIMESTAMP_URL=${SHIP_SIGN_TIMESTAMP_URL}"
                "-DSIGN_DESCRIPTION=${S_DESCRIPTION}"
                -P "${PROJECT_SOURCE_DIR}/cmake/ship-program.cmake"
        VERBATIM)
    # A renewed certificate or key at the same path signs again as well.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
        "${CMAKE_BINARY_DIR}/shipping-settings.txt" "${PROJECT_SOURCE_DIR}/cmake/ship-program.cmake"
        "${PROJECT_SOURCE_DIR}/tools/pe/set-delay-directory" "${PROJECT_SOURCE_DIR}/tools/pe/pe_image.py"
        "${PROJECT_SOURCE_DIR}/tools/pe/delay_imports.py"
        ${SHIP_SIGN_CERT} ${SHIP_SIGN_KEY} ${SHIP_SIGN_KEY_PASSWORD_FILE})
endfunction()

# add_shipped_program(TARGET OUTPUT_NAME OUTPUT_DIRECTORY DESCRIPTION sources...)
#   A Windows executable that leaves the build: linked without a timestamp
#   (the same sources give the same bytes, and so the same package), with the
#   system-folder-only library search, and shipped (ship_program: stripped,
#   and signed, as it is linked, before a package is staged from it).
function(add_shipped_program target output_name output_dir description)
    add_executable(${target} ${ARGN})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output_name} RUNTIME_OUTPUT_DIRECTORY ${output_dir})
    target_link_options(${target} PRIVATE -municode -Wl,--no-insert-timestamp)
    target_link_libraries(${target} PRIVATE dll_search_win)
    ship_program(${target} DESCRIPTION "${description}")
endfunction()
