# The soak talks to the ecf-sim program; it is long by the standards of the
# other tests.
add_dependencies(test_soak ecf-sim)
target_compile_definitions(test_soak PRIVATE ECF_SIM_PROGRAM="$<TARGET_FILE:ecf-sim>")
set(ECF_TEST_TIMEOUT 90)
