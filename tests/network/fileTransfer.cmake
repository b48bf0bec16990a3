# Peer-to-peer file transfer between file servers on loopback, and hostile peers.
parlavox_add_test(test_file_transfer LABEL network SOURCES ${CMAKE_CURRENT_LIST_DIR}/fileTransferTest.cpp
  LIBS parlavox_network OpenSSL::Crypto TIMEOUT 300)
