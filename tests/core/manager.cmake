# The controller against the protocol test server, with a recorder in place of the windows.
parlavox_add_test(test_manager LABEL core WX PER_CASE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerTest.cpp
  LIBS parlavox_core parlavox_test_server)
