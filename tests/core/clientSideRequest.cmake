# The server connection client against the protocol test server.
parlavox_add_test(test_client_side_request LABEL core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/clientSideRequestTest.cpp
  LIBS parlavox_core parlavox_test_server)
