# The Windows form of the shared library: QUORVEX.dll, whose export table is
# exactly the names of exports.txt, written by a module-definition file made
# from that list.  Exports use the cdecl convention and keep their names as
# written (_RealPascalToDoubleC); the dialog hook uses the callback
# convention, and on 32-bit x86 it is exported under its decorated name.
# MinGW drops one leading underscore when it reads a .def file, so the hook
# is named _FileOpenHookProc@16 and bound to the symbol FileOpenHookProc@16.
set(quorvex_callback_exports FileOpenHookProc=16)

set(def_text "LIBRARY QUORVEX.dll\nEXPORTS\n")
foreach(line IN LISTS export_lines)
  string(STRIP "${line}" name)
  if(NOT name OR name MATCHES "^#")
    continue()
  endif()
  set(entry "${name}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    foreach(callback IN LISTS quorvex_callback_exports)
      string(REPLACE "=" ";" parts "${callback}")
      list(GET parts 0 callback_name)
      list(GET parts 1 argument_bytes)
      if(name STREQUAL callback_name)
        set(entry "_${name}@${argument_bytes} = ${name}@${argument_bytes}")
      endif()
    endforeach()
  endif()
  string(APPEND def_text "    ${entry}\n")
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/quorvex.def "${def_text}")

target_sources(quorvex PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/quorvex.def)
target_link_libraries(quorvex PRIVATE comdlg32 user32)
set_target_properties(quorvex PROPERTIES
  PREFIX ""
  OUTPUT_NAME QUORVEX
  LINK_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/quorvex.def)
