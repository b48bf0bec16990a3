# The server connection client against the protocol test server.
parlavox_add_test(test_client_side_request LABEL core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/clientSideRequestTest.cpp
  LIBS parlavox_core parlavox_test_server)
# The same cases once more, one after the other in one process, as the controllers of one
# program's life come and go.
add_test(NAME test_client_side_request_one_process COMMAND test_client_side_request
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(test_client_side_request_one_process PROPERTIES LABELS core TIMEOUT 300)
