# The extension listener in front of the controller: web pages' requests change nothing, the
# extension's still work; and the same with a real headless browser when one is installed.
parlavox_add_test(test_manager_page_requests LABEL core WX PER_CASE TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerPageRequestsTest.cpp
  LIBS parlavox_core parlavox_test_server)
parlavox_add_test(test_browser_requests LABEL core WX PER_CASE TIMEOUT 240
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/browserRequestsTest.cpp
  LIBS parlavox_core parlavox_test_server)
