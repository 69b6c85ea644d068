# Generates the call table of the export client (tests/wine/export_client.c)
# from the export list: for each export a stdcall function-pointer type, and a
# caller that takes the arguments from a Call, calls the export through that
# type between two reads of the stack pointer and keeps the result.
#
#   cmake -DEXPORTS=exports/ecf.exports -DOUTPUT=export_calls.c -P cmake/ExportClient.cmake

if(NOT EXPORTS OR NOT OUTPUT)
  message(FATAL_ERROR "usage: cmake -DEXPORTS=<export list> -DOUTPUT=<.c file> -P ExportClient.cmake")
endif()

# Each argument kind: its C type, its Kind in export_client.h, and how a
# caller takes it from the Call (@_k@: the argument's index).
set(_kind_i32 "int32_t" "KIND_I32" "(int32_t)c->numbers[@_k@]")
set(_kind_u32 "uint32_t" "KIND_U32" "c->numbers[@_k@]")
set(_kind_i16 "int16_t" "KIND_I16" "(int16_t)c->numbers[@_k@]")
set(_kind_u8 "unsigned char" "KIND_U8" "(unsigned char)c->numbers[@_k@]")
set(_kind_s8 "signed char" "KIND_S8" "(signed char)c->numbers[@_k@]")
set(_kind_str "const char*" "KIND_STR" "c->texts[@_k@]")
set(_kind_out "char*" "KIND_OUT" "c->buffers[@_k@]")
set(_kind_outbyte "unsigned char*" "KIND_OUTBYTE" "(unsigned char*)c->buffers[@_k@]")
set(_kind_info "ecf_exchange_info*" "KIND_INFO" "&c->info")
# Each result kind: its C type, its Result, and the Call field it goes to.
set(_result_i32 "int32_t" "RESULT_NUMBER" "number")
set(_result_i16 "int16_t" "RESULT_NUMBER" "number")
set(_result_text "char*" "RESULT_TEXT" "text")
set(_result_ctext "const char*" "RESULT_TEXT" "text")

file(STRINGS ${EXPORTS} _lines)
set(_callers "")
set(_rows "")
set(_count 0)
foreach(_line IN LISTS _lines)
  string(STRIP "${_line}" _line)
  if(_line MATCHES "^@([A-Za-z0-9_]+)")
    set(_family ${CMAKE_MATCH_1})
  endif()
  if(_line STREQUAL "" OR _line MATCHES "^[#@]")
    continue()
  endif()
  string(REGEX REPLACE "[ \t]+" ";" _fields "${_line}")
  list(POP_FRONT _fields _name _returns)
  if(NOT DEFINED _result_${_returns})
    message(FATAL_ERROR "${EXPORTS}: ${_name}: unknown result kind '${_returns}'")
  endif()
  list(GET _result_${_returns} 0 _rtype)
  list(GET _result_${_returns} 1 _rkind)
  list(GET _result_${_returns} 2 _rfield)
  set(_types "")
  set(_args "")
  set(_params "")
  set(_k 0)
  foreach(_arg IN LISTS _fields)
    string(REGEX REPLACE ":.*$" "" _kind "${_arg}")
    string(REGEX REPLACE "^[^:]*:" "" _pname "${_arg}")
    set(_capacity 0)
    if(_kind MATCHES "^out([0-9]+)$")
      set(_capacity ${CMAKE_MATCH_1})
      set(_kind out)
    endif()
    if(NOT DEFINED _kind_${_kind})
      message(FATAL_ERROR "${EXPORTS}: ${_name}: unknown argument kind '${_kind}'")
    endif()
    list(GET _kind_${_kind} 0 _type)
    list(GET _kind_${_kind} 1 _pkind)
    list(GET _kind_${_kind} 2 _take)
    string(CONFIGURE "${_take}" _take @ONLY)
    list(APPEND _types "${_type}")
    list(APPEND _args "${_take}")
    string(APPEND _params "{${_pkind}, ${_capacity}, \"${_pname}\"}, ")
    math(EXPR _k "${_k} + 1")
  endforeach()
  list(JOIN _types ", " _types)
  list(JOIN _args ", " _args)
  if(_k EQUAL 0)
    set(_types "void")
    set(_params "{KIND_I32, 0, \"\"}")  # C has no empty initialiser list
  endif()
  string(APPEND _callers
    "typedef ${_rtype}(ECF_CALL* Type_${_name})(${_types});\n"
    "static void call_${_name}(AnyFunction f, Call* c) {\n"
    "    Type_${_name} export_ = (Type_${_name})f;\n"
    "    ${_rtype} r;\n"
    "    STACK_BEFORE(c);\n"
    "    r = export_(${_args});\n"
    "    STACK_AFTER(c);\n"
    "    c->${_rfield} = r;\n"
    "}\n")
  string(APPEND _rows "    {\"${_name}\", \"${_family}\", ${_rkind}, ${_k}, {${_params}}, call_${_name}},\n")
  math(EXPR _count "${_count} + 1")
endforeach()

file(WRITE ${OUTPUT}.tmp
  "/* Generated from ${EXPORTS} by ExportClient.cmake; do not edit. */\n"
  "#include \"export_client.h\"\n\n"
  "${_callers}\n"
  "const Export kExports[] = {\n${_rows}};\n"
  "const size_t kExportCount = ${_count};\n")
# Only a changed table is rewritten, so that make does not rebuild for nothing.
configure_file(${OUTPUT}.tmp ${OUTPUT} COPYONLY)
file(REMOVE ${OUTPUT}.tmp)
