# The strangers bench runs the controller against the protocol test server, built here too when
# the tests are off.
if(NOT TARGET parlavox_test_server)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/testServer ${CMAKE_BINARY_DIR}/bench/testServer)
endif()
target_link_libraries(${name} PRIVATE parlavox_core parlavox_test_server)
