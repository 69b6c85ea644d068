# The control page: its API in-process (test_web), and the page itself in a
# headless browser against ecf-sim --http, where chromium is installed.
target_link_libraries(test_${name} PRIVATE ecfsim_web PkgConfig::HTTPLIB)
