# The soak runs against the register-driven printer of the benchmarks.
target_sources(test_soak PRIVATE ${PROJECT_SOURCE_DIR}/bench/wire_printer.cpp)
target_include_directories(test_soak PRIVATE ${PROJECT_SOURCE_DIR}/bench ${PROJECT_SOURCE_DIR}/fuzz/support)
set(ECF_TEST_TIMEOUT 90)
