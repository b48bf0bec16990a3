# The extension listener's head reader and its check of who made a request.
parlavox_add_test(test_extension_request LABEL network SOURCES ${CMAKE_CURRENT_LIST_DIR}/extensionRequestTest.cpp
  LIBS parlavox_network)
