# The command table of the ecf tool.
target_link_libraries(test_cli PRIVATE ecf_cli_table)
