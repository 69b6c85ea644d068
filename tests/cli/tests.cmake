# The command table of the ecf tool.
target_link_libraries(test_cli PRIVATE ecf_cli_table)

# The tool itself against the simulated printer.
find_package(Python3 COMPONENTS Interpreter QUIET)
if(Python3_FOUND AND TARGET ecf-sim)
  add_test(NAME cli_tool_against_simulator COMMAND ${Python3_EXECUTABLE} -m unittest -v tool_test
    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR})
  set_tests_properties(cli_tool_against_simulator PROPERTIES TIMEOUT 120 LABELS cli
    ENVIRONMENT "ECF_TOOL=$<TARGET_FILE:ecf_tool>;ECF_SIM=$<TARGET_FILE:ecf-sim>")
endif()
