# Delay-loaded system libraries. A shipped program imports only Windows'
# KnownDLLs statically (tests/tools/check-static-imports checks it): any
# other library would be looked for in the program's own folder first, before
# the program could restrict the search (platform/dll_search_win.h). Such a
# library is linked through `delay_<name>` instead of `<name>`: its functions
# load it on their first call, which comes after that restriction.

# add_delay_import_library(NAME)
#   Defines the interface target delay_NAME: the delay-import library of
#   NAME.dll, made from the toolchain's import library libNAME.a.
function(add_delay_import_library name)
    find_library(IMPORT_LIBRARY_${name} ${name} REQUIRED NO_CACHE)
    if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
        message(FATAL_ERROR "Delay-import libraries need the toolchain's dlltool and nm (CMAKE_DLLTOOL, CMAKE_NM)")
    endif()
    set(decorated OFF)
    set(tools "-DDLLTOOL=${CMAKE_DLLTOOL}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        # 32-bit x86: dlltool's delay-import members lose their stubs in
        # GNU ld (cmake/make-delay-import-i386.py says why); our own
        # generator assembles them instead.
        set(decorated ON)
        find_package(Python3 REQUIRED COMPONENTS Interpreter)
        string(REGEX REPLACE "-gcc(-posix)?$" "-as" assembler "${CMAKE_C_COMPILER}")
        set(tools "-DPYTHON=${Python3_EXECUTABLE}" "-DASSEMBLER=${assembler}" "-DAR=${CMAKE_AR}")
    endif()
    set(output "${CMAKE_BINARY_DIR}/lib/lib${name}_delay.a")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/lib"
        COMMAND ${CMAKE_COMMAND} "-DNM=${CMAKE_NM}" ${tools}
                "-DIMPORT_LIBRARY=${IMPORT_LIBRARY_${name}}" "-DDLL_NAME=${name}.dll"
                "-DDEF=${CMAKE_BINARY_DIR}/lib/${name}_delay.def" "-DOUTPUT=${output}" "-DDECORATED=${decorated}"
                -P "${PROJECT_SOURCE_DIR}/cmake/make-delay-import.cmake"
        DEPENDS "${IMPORT_LIBRARY_${name}}" "${PROJECT_SOURCE_DIR}/cmake/make-delay-import.cmake"
                "${PROJECT_SOURCE_DIR}/cmake/make-delay-import-i386.py"
        COMMENT "Making the delay-import library of ${name}.dll"
        VERBATIM)
    add_custom_target(delay_${name}_library DEPENDS "${output}")
    add_library(delay_${name} INTERFACE)
    # The import library follows for what it holds besides imports (MinGW's
    # libgdiplus.a defines the GDI+ headers' cached font-family pointers);
    # its import stubs are not used, the delay-import library having already
    # resolved every function before it.
    target_link_libraries(delay_${name} INTERFACE "${output}" ${name} $<TARGET_OBJECTS:delay_import_end>)
    add_dependencies(delay_${name} delay_${name}_library)
endfunction()

if(WIN32)
    add_library(delay_import_end OBJECT cmake/delay-import-end.cpp)
    add_delay_import_library(gdiplus)
    # Accessibility: loaded when a screen reader first asks the window.
    add_delay_import_library(oleacc)
    # KnownDLLs, delay-loaded for speed: each of them brings user32, whose
    # start-up under Wine (display, fonts, input method) costs a quiet run,
    # which needs none of them, about 45 ms.
    foreach(name IN ITEMS user32 gdi32 shell32 ole32 oleaut32)
        add_delay_import_library(${name})
    endforeach()
endif()
