# The control page: its API in-process (test_web), and the page itself in a
# headless browser against ecf-sim --http, where chromium is installed.
target_link_libraries(test_${name} PRIVATE ecfsim_web PkgConfig::HTTPLIB)

find_package(Python3 COMPONENTS Interpreter QUIET)
if(Python3_FOUND AND TARGET ecf-sim AND TARGET ecf_python AND NOT ECF_SANITIZE)
  add_test(NAME web_page_in_a_browser
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/web/browser_test.py)
  set_tests_properties(web_page_in_a_browser PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77
    LABELS web ENVIRONMENT
    "ECF_LIBRARY=$<TARGET_FILE:ecf>;ECF_SIM=$<TARGET_FILE:ecf-sim>;PYTHONPATH=${PROJECT_BINARY_DIR}/python;ECF_ARTIFACTS=${PROJECT_BINARY_DIR}/artifacts")
endif()
