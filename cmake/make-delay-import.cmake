# Makes a delay-import library from a MinGW import library, at build time:
# the import library's symbols become a .def file, and dlltool turns that into
# an archive whose functions load the DLL on their first call.
#   cmake -DNM=... -DDLLTOOL=... -DIMPORT_LIBRARY=libX.a -DDLL_NAME=X.dll
#         -DDEF=X.def -DOUTPUT=libX_delay.a -DDECORATED=ON|OFF -P make-delay-import.cmake
# DECORATED: 32-bit x86, whose symbols carry a leading underscore and stdcall
# functions an @N suffix (kept in the .def, dropped from the imported names).
# Its library is assembled by make-delay-import-i386.py (-DPYTHON=...
# -DASSEMBLER=... -DAR=... instead of -DDLLTOOL): dlltool's i386 delay-import
# members lose their stubs in GNU ld.
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
    # Exported data (oleacc's interface and library GUIDs, which libuuid
    # defines as well) cannot be loaded on a first call.
    if(name MATCHES "^(IID|LIBID|CLSID)_")
        continue()
    endif()
    string(APPEND exports "    ${name}\n")
endforeach()
if(exports STREQUAL "")
    message(FATAL_ERROR "${IMPORT_LIBRARY} names no imported function")
endif()
file(WRITE "${DEF}" "LIBRARY ${DLL_NAME}\nEXPORTS\n${exports}")
if(DECORATED)
    execute_process(COMMAND "${PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/make-delay-import-i386.py" --def "${DEF}"
                            --dll "${DLL_NAME}" --as "${ASSEMBLER}" --ar "${AR}" --output "${OUTPUT}"
                    RESULT_VARIABLE status)
else()
    execute_process(COMMAND "${DLLTOOL}" --def "${DEF}" --dllname "${DLL_NAME}" --output-delaylib "${OUTPUT}"
                    RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "The delay-import library ${OUTPUT} could not be made")
endif()
