# The program's own tests run ecf-sim in processes of their own.
add_dependencies(test_sim ecf-sim)
target_compile_definitions(test_sim PRIVATE ECF_SIM_PROGRAM="$<TARGET_FILE:ecf-sim>")
