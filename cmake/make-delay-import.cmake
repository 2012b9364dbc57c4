# Makes a delay-import library from a MinGW import library, at build time:
# the import library's symbols become a .def file, and dlltool turns that into
# an archive whose functions load the DLL on their first call.
#   cmake -DNM=... -DDLLTOOL=... -DIMPORT_LIBRARY=libX.a -DDLL_NAME=X.dll
#         -DDEF=X.def -DOUTPUT=libX_delay.a -DDECORATED=ON|OFF -P make-delay-import.cmake
# DECORATED: 32-bit x86, whose symbols carry a leading underscore and stdcall
# functions an @N suffix (kept in the .def, dropped from the imported names).
execute_process(COMMAND "${NM}" "${IMPORT_LIBRARY}" OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} ${IMPORT_LIBRARY} failed")
endif()
string(REGEX MATCHALL "[^\n]* I __imp_[^\n]+" entries "${symbols}")
set(exports "")
foreach(entry IN LISTS entries)
    string(REGEX REPLACE ".* I __imp_" "" name "${entry}")
    if(DECORATED)
        string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    string(APPEND exports "    ${name}\n")
endforeach()
if(exports STREQUAL "")
    message(FATAL_ERROR "${IMPORT_LIBRARY} names no imported function")
endif()
file(WRITE "${DEF}" "LIBRARY ${DLL_NAME}\nEXPORTS\n${exports}")
set(kill_at)
if(DECORATED)
    set(kill_at --kill-at)
endif()
execute_process(COMMAND "${DLLTOOL}" --def "${DEF}" --dllname "${DLL_NAME}" ${kill_at} --output-delaylib "${OUTPUT}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${DLLTOOL} could not make ${OUTPUT}")
endif()
