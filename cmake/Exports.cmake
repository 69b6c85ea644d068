# Reads the one list of exports (exports/ecf.exports) and derives from it the
# Linux version script, the Windows .def file and the header check.

set(ECF_EXPORTS_FILE ${PROJECT_SOURCE_DIR}/exports/ecf.exports)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ECF_EXPORTS_FILE})

include(${CMAKE_CURRENT_LIST_DIR}/ExportList.cmake)
ecf_read_export_list(${ECF_EXPORTS_FILE})

# Linux version script: the listed names, nothing else.
set(_map "{\n  global:\n")
foreach(_name IN LISTS ECF_EXPORT_NAMES)
  string(APPEND _map "    ${_name};\n")
endforeach()
string(APPEND _map "  local: *;\n};\n")
set(ECF_VERSION_SCRIPT ${PROJECT_BINARY_DIR}/ecf.map)
file(CONFIGURE OUTPUT ${ECF_VERSION_SCRIPT} CONTENT "${_map}")

# Windows .def: undecorated names; on 32-bit Windows each aliases its stdcall
# name@N (every argument takes 4 bytes on the stack). The second .def, for the
# 32-bit import library, names the decorated symbols a C compiler emits for
# ecf.h (_ChangePort@4), each importing the undecorated export.
set(_def "LIBRARY ecf\nEXPORTS\n")
set(_implib_def "LIBRARY ecf.dll\nEXPORTS\n")
foreach(_name IN LISTS ECF_EXPORT_NAMES)
  list(LENGTH ECF_EXPORT_${_name}_KINDS _count)
  math(EXPR _bytes "${_count} * 4")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    string(APPEND _def "  ${_name}=${_name}@${_bytes}\n")
  else()
    string(APPEND _def "  ${_name}\n")
  endif()
  string(APPEND _implib_def "  ${_name}@${_bytes}\n")
endforeach()
set(ECF_DEF_FILE ${PROJECT_BINARY_DIR}/ecf.def)
file(CONFIGURE OUTPUT ${ECF_DEF_FILE} CONTENT "${_def}")
set(ECF_IMPLIB_DEF_FILE ${PROJECT_BINARY_DIR}/ecf-implib.def)
file(CONFIGURE OUTPUT ${ECF_IMPLIB_DEF_FILE} CONTENT "${_implib_def}")

# Header check: every export of the list is declared in ecf.h or ecf_ext.h
# with exactly the listed signature (a compile-time test).
set(_check "// Generated from exports/ecf.exports: the headers must match the list.\n#include <type_traits>\n#include \"ecf.h\"\n#include \"ecf_ext.h\"\n\n")
foreach(_name IN LISTS ECF_EXPORT_NAMES)
  set(_rtype "${ECF_C_TYPE_${ECF_EXPORT_${_name}_RESULT}}")
  set(_args "")
  foreach(_kind IN LISTS ECF_EXPORT_${_name}_KINDS)
    list(APPEND _args "${ECF_C_TYPE_${_kind}}")
  endforeach()
  list(JOIN _args ", " _args)
  if(_args STREQUAL "")
    set(_args "void")
  endif()
  string(APPEND _check "static_assert(std::is_same_v<decltype(&${_name}), ${_rtype} (ECF_API*)(${_args})>, \"${_name}\");\n")
endforeach()
string(APPEND _check "\nint main() { return 0; }\n")
set(ECF_HEADER_CHECK ${PROJECT_BINARY_DIR}/header_check.cpp)
file(CONFIGURE OUTPUT ${ECF_HEADER_CHECK} CONTENT "${_check}")

# The table of exports for the command-line tool: each export with its result
# kind, its parameters and a caller that unpacks typed arguments. The
# extensions (@ext) are not commands of the tool.
function(ecf_generate_command_table output)
  set(_t "// Generated from exports/ecf.exports: one entry per export.\n")
  foreach(_name IN LISTS ECF_EXPORT_NAMES)
    if(ECF_EXPORT_${_name}_FAMILY STREQUAL "ext")
      continue()
    endif()
    set(_result ${ECF_EXPORT_${_name}_RESULT})
    set(_params "")
    set(_call "")
    set(_index 0)
    foreach(_kind _pname _capacity IN ZIP_LISTS ECF_EXPORT_${_name}_KINDS ECF_EXPORT_${_name}_PARAMS
                                                ECF_EXPORT_${_name}_CAPACITIES)
      string(APPEND _params "{Kind::${_kind}, \"${_pname}\", ${_capacity}}, ")
      list(APPEND _call "c.${_kind}(${_index})")
      math(EXPR _index "${_index} + 1")
    endforeach()
    list(JOIN _call ", " _call)
    if(_result STREQUAL "text")
      set(_invoke "c.setText(${_name}(${_call}))")
    else()
      set(_invoke "c.setResult(${_name}(${_call}))")
    endif()
    string(APPEND _t "{\"${_name}\", ResultKind::${_result}, {${_params}}, [](Call& c) { ${_invoke}; }},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${output} CONTENT "${_t}")
endfunction()
