# The bindings' tests, included by tests/CMakeLists.txt.

# The Pascal, C#, Java and Visual Basic declarations are those the export
# list gives (a new export not generated yet fails), and the Visual Basic
# module passes each argument as its C type needs.
if(Python3_FOUND AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME bindings_match_export_list
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/generate.py --check)
  add_test(NAME vb_module_declares_every_export
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/vb/check_declares.py)
  set_tests_properties(bindings_match_export_list vb_module_declares_every_export
    PROPERTIES LABELS bindings)
endif()

# Each binding runs the C receipt day's calls against the simulator: the
# paper and the fiscal memory report must be the C day's. A language whose
# toolchain is missing is skipped. Not under sanitizers: mono and the JVM
# cannot load an instrumented library.
if(TARGET ecf-sim AND NOT WIN32 AND NOT ECF_SANITIZE)
  add_executable(c_receipt_day ${PROJECT_SOURCE_DIR}/tests/wine/receipt_day.c)
  target_link_libraries(c_receipt_day PRIVATE ecf)
  foreach(language pascal dotnet java)
    add_test(NAME ${language}_binding_day
      COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/test-binding.sh ${language}
              ${CMAKE_CURRENT_BINARY_DIR}/bindings/${language})
    set_tests_properties(${language}_binding_day PROPERTIES
      SKIP_RETURN_CODE 77 TIMEOUT 300 LABELS bindings
      ENVIRONMENT "ECF_SIM=$<TARGET_FILE:ecf-sim>;ECF_LIBRARY=$<TARGET_FILE:ecf>;ECF_C_DAY=$<TARGET_FILE:c_receipt_day>")
  endforeach()
endif()
