# Generates the call table of the export client (tests/wine/export_client.c)
# from the export list: for each export a stdcall function-pointer type, and a
# caller that takes the arguments from a Call, calls the export through that
# type between two reads of the stack pointer and keeps the result.
#
#   cmake -DEXPORTS=exports/ecf.exports -DOUTPUT=export_calls.c -P cmake/ExportClient.cmake

if(NOT EXPORTS OR NOT OUTPUT)
  message(FATAL_ERROR "usage: cmake -DEXPORTS=<export list> -DOUTPUT=<.c file> -P ExportClient.cmake")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/ExportList.cmake)
ecf_read_export_list(${EXPORTS})

# Each argument kind: its Kind in export_client.h, and how a caller takes it
# from the Call (@_k@: the argument's index).
set(_kind_i32 "KIND_I32" "(int32_t)c->numbers[@_k@]")
set(_kind_u32 "KIND_U32" "c->numbers[@_k@]")
set(_kind_i16 "KIND_I16" "(int16_t)c->numbers[@_k@]")
set(_kind_u8 "KIND_U8" "(unsigned char)c->numbers[@_k@]")
set(_kind_s8 "KIND_S8" "(signed char)c->numbers[@_k@]")
set(_kind_str "KIND_STR" "c->texts[@_k@]")
set(_kind_out "KIND_OUT" "c->buffers[@_k@]")
set(_kind_outbyte "KIND_OUTBYTE" "(unsigned char*)c->buffers[@_k@]")
set(_kind_info "KIND_INFO" "&c->info")
# Each result kind: its Result, and the Call field it goes to.
set(_result_i32 "RESULT_NUMBER" "number")
set(_result_i16 "RESULT_NUMBER" "number")
set(_result_text "RESULT_TEXT" "text")
set(_result_ctext "RESULT_TEXT" "text")

set(_callers "")
set(_rows "")
foreach(_name IN LISTS ECF_EXPORT_NAMES)
  set(_returns ${ECF_EXPORT_${_name}_RESULT})
  set(_rtype "${ECF_C_TYPE_${_returns}}")
  list(GET _result_${_returns} 0 _rkind)
  list(GET _result_${_returns} 1 _rfield)
  set(_types "")
  set(_args "")
  set(_params "")
  set(_k 0)
  foreach(_kind _pname _capacity IN ZIP_LISTS ECF_EXPORT_${_name}_KINDS ECF_EXPORT_${_name}_PARAMS
                                             ECF_EXPORT_${_name}_CAPACITIES)
    list(GET _kind_${_kind} 0 _pkind)
    list(GET _kind_${_kind} 1 _take)
    string(CONFIGURE "${_take}" _take @ONLY)
    list(APPEND _types "${ECF_C_TYPE_${_kind}}")
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
  string(APPEND _rows "    {\"${_name}\", \"${ECF_EXPORT_${_name}_FAMILY}\", ${_rkind}, ${_k}, {${_params}}, call_${_name}},\n")
endforeach()
list(LENGTH ECF_EXPORT_NAMES _count)

file(WRITE ${OUTPUT}.tmp
  "/* Generated from ${EXPORTS} by ExportClient.cmake; do not edit. */\n"
  "#include \"export_client.h\"\n\n"
  "${_callers}\n"
  "const Export kExports[] = {\n${_rows}};\n"
  "const size_t kExportCount = ${_count};\n")
# Only a changed table is rewritten, so that make does not rebuild for nothing.
configure_file(${OUTPUT}.tmp ${OUTPUT} COPYONLY)
file(REMOVE ${OUTPUT}.tmp)
