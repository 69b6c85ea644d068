# The soak talks to the ecf-sim program; it is long by the standards of the
# other tests.
if(TARGET ecf-sim)
  add_dependencies(test_soak ecf-sim)
  target_compile_definitions(test_soak PRIVATE ECF_SIM_PROGRAM="$<TARGET_FILE:ecf-sim>")
endif()
set(ECF_TEST_TIMEOUT 90)
