# How long the window thread waits on the connection client while the network does not answer.
parlavox_add_test(test_client_latency LABEL core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/clientLatencyTest.cpp
  LIBS parlavox_core parlavox_test_server)
