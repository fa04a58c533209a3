# Delay-loaded system DLLs for zintra.exe.
#
# Every DLL a program imports is mapped and initialised before its first line
# runs. Most of ours (COM, the shell, accessibility, sockets, certificates)
# serve things that happen after the main window is on screen, and under Wine
# loading them up front made the start about a fifth slower. A DLL linked
# through delayload::<name> is loaded by the first call into it instead.
#
# The delay-import library is made at configure time from MinGW's own import
# library: its function exports go through dlltool's delay thunks (the helper,
# __delayLoadHelper2, is in the MinGW runtime). Data exports cannot be
# delay-loaded: a use of one fails the link rather than import the DLL at start.
# The test start_imports checks that zintra.exe imports nothing else at start.
#
#   zintra_delay_load(shell32 ole32 ...)   defines delayload::shell32, ...
function(zintra_delay_load)
  foreach(dll IN LISTS ARGN)
    set(target delayload::${dll})
    if(TARGET ${target})
      continue()
    endif()
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    find_library(import_${dll} NAMES lib${dll}.a NO_CACHE)
    if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM OR NOT import_${dll})
      message(STATUS "${dll}: no delay-import library can be made; it is imported at start")
      set_property(TARGET ${target} PROPERTY INTERFACE_LINK_LIBRARIES ${dll})
      continue()
    endif()
    set(folder ${CMAKE_BINARY_DIR}/delayload)
    set(archive ${folder}/lib${dll}_delay.a)
    set(stamp ${folder}/${dll}.source)
    # Made again only when the import library changes.
    file(TIMESTAMP ${import_${dll}} source_time UTC)
    set(source "${import_${dll}} ${source_time}")
    set(made "")
    if(EXISTS ${stamp})
      file(READ ${stamp} made)
    endif()
    if(NOT EXISTS ${archive} OR NOT made STREQUAL source)
      file(MAKE_DIRECTORY ${folder})
      execute_process(COMMAND ${CMAKE_NM} --defined-only ${import_${dll}}
                      OUTPUT_VARIABLE symbols RESULT_VARIABLE failed ERROR_QUIET)
      if(failed)
        message(FATAL_ERROR "${CMAKE_NM} could not read ${import_${dll}}")
      endif()
      # A function export has its thunk ("T name") beside "__imp_name".
      string(REGEX MATCHALL "[0-9a-fA-F]+ T [A-Za-z_][A-Za-z0-9_]*\n" thunks "${symbols}")
      set(exports "")
      foreach(line IN LISTS thunks)
        string(REGEX REPLACE "^[0-9a-fA-F]+ T ([A-Za-z0-9_]+)\n$" "\\1" name "${line}")
        if(symbols MATCHES "I __imp_${name}\n")
          list(APPEND exports "${name}")
        endif()
      endforeach()
      list(REMOVE_DUPLICATES exports)
      if(NOT exports)
        message(FATAL_ERROR "no function exports found in ${import_${dll}}")
      endif()
      list(JOIN exports "\n  " lines)
      file(WRITE ${folder}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n  ${lines}\n")
      execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${folder}/${dll}.def --dllname ${dll}.dll
                              --output-delaylib ${archive}
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "${CMAKE_DLLTOOL} could not make ${archive}")
      endif()
      file(WRITE ${stamp} "${source}")
    endif()
    set_property(TARGET ${target} PROPERTY INTERFACE_LINK_LIBRARIES ${archive})
  endforeach()
endfunction()
