# Run after a shipped program is linked (cmake -P, see Shipping.cmake):
#   0. its delay-import directory is pointed at its delay-import descriptors,
#      which GNU ld leaves unlisted (tools/pe/set-delay-directory);
#   1. its debug sections go to PROGRAM.debug beside it;
#   2. the program is stripped and points at that file (.gnu_debuglink);
#   3. when SIGN_CERT and SIGN_KEY are given, it is signed with osslsigncode.
# objcopy and strip stamp a PE file with the current time unless
# SOURCE_DATE_EPOCH says otherwise; the link's own stamp is kept, so a program
# linked without a timestamp stays reproducible, and so does the package.
# Any failing step fails the build.

foreach(required PROGRAM PYTHON SET_DELAY_DIRECTORY OBJCOPY STRIP)
    if(NOT ${required})
        message(FATAL_ERROR "ship-program: ${required} not given")
    endif()
endforeach()

# Little-endian unsigned 32-bit value at OFFSET of FILE.
function(read_u32 out file offset)
    file(READ "${file}" hex OFFSET ${offset} LIMIT 4 HEX)
    string(LENGTH "${hex}" length)
    if(NOT length EQUAL 8)
        message(FATAL_ERROR "ship-program: ${file} is too short for a PE file")
    endif()
    string(SUBSTRING "${hex}" 0 2 b0)
    string(SUBSTRING "${hex}" 2 2 b1)
    string(SUBSTRING "${hex}" 4 2 b2)
    string(SUBSTRING "${hex}" 6 2 b3)
    math(EXPR value "0x${b3}${b2}${b1}${b0}")
    set(${out} ${value} PARENT_SCOPE)
endfunction()

# The PE header's offset is at 0x3C; its TimeDateStamp 8 bytes further on.
read_u32(pe_offset "${PROGRAM}" 60)
math(EXPR stamp_offset "${pe_offset} + 8")
read_u32(stamp "${PROGRAM}" ${stamp_offset})
set(ENV{SOURCE_DATE_EPOCH} ${stamp})

execute_process(COMMAND "${PYTHON}" "${SET_DELAY_DIRECTORY}" "${PROGRAM}" COMMAND_ERROR_IS_FATAL ANY)

set(symbols "${PROGRAM}.debug")
execute_process(COMMAND "${OBJCOPY}" --only-keep-debug "${PROGRAM}" "${symbols}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${STRIP}" --strip-all "${PROGRAM}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${OBJCOPY}" "--add-gnu-debuglink=${symbols}" "${PROGRAM}" COMMAND_ERROR_IS_FATAL ANY)

if(SIGN_CERT AND SIGN_KEY)
    set(signed "${PROGRAM}.signed")
    set(options -certs "${SIGN_CERT}" -key "${SIGN_KEY}" -h sha256)
    if(SIGN_KEY_PASSWORD_FILE)
        list(APPEND options -readpass "${SIGN_KEY_PASSWORD_FILE}")
    endif()
    if(SIGN_DESCRIPTION)
        list(APPEND options -n "${SIGN_DESCRIPTION}")
    endif()
    if(SIGN_TIMESTAMP_URL)
        list(APPEND options -ts "${SIGN_TIMESTAMP_URL}")
    endif()
    file(REMOVE "${signed}")
    execute_process(COMMAND "${OSSLSIGNCODE}" sign ${options} -in "${PROGRAM}" -out "${signed}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        file(REMOVE "${signed}")
        message(FATAL_ERROR "ship-program: signing ${PROGRAM} failed:\n${out}")
    endif()
    file(RENAME "${signed}" "${PROGRAM}")
endif()
