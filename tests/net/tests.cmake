# The many-lanes test starts ecf-sim programs; it runs for a bounded time.
if(TARGET ecf-sim)
  add_dependencies(test_net ecf-sim)
  target_compile_definitions(test_net PRIVATE ECF_SIM_PROGRAM="$<TARGET_FILE:ecf-sim>")
endif()
