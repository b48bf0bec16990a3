# The browser-extension listener, driven by curl and raw sockets on loopback.
parlavox_add_test(test_local_server LABEL network SOURCES ${CMAKE_CURRENT_LIST_DIR}/localServerTest.cpp
  LIBS parlavox_network TIMEOUT 60)
