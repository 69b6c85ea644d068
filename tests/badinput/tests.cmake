# The bad-input tests reach every export through the table generated from the
# export list, in the test's own process, over the scripted line instead of a
# port: the program takes the whole library without its platform port
# (ecf_core) and supplies makePlatformPort() itself (the link-time seam).
include(${PROJECT_SOURCE_DIR}/fuzz/support/ExportCalls.cmake)
ecf_generate_export_calls(${CMAKE_CURRENT_BINARY_DIR}/export_calls.cpp)
target_sources(test_badinput PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/export_calls.cpp
  ${PROJECT_SOURCE_DIR}/fuzz/support/scripted_line.cpp)
target_include_directories(test_badinput PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/support)
# Whole archive, so that the weakly referenced exports are all there.
target_link_libraries(test_badinput PRIVATE -Wl,--whole-archive ecf_core -Wl,--no-whole-archive)
