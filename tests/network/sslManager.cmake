# The TLS connection and its message stream, against the protocol test server.
parlavox_add_test(test_ssl_manager LABEL network
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sslManagerTest.cpp
  LIBS parlavox_network parlavox_test_server)
