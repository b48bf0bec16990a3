# The controller's sites, rooms, private rooms, smileys and file transfers, end to end on
# loopback: the protocol test server, the extension listener asked over HTTP, the file server.
parlavox_add_test(test_manager_rooms LABEL core WX PER_CASE TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerRoomsTest.cpp
  LIBS parlavox_core parlavox_test_server)
# The same flows again, in one process, in the ThreadSanitizer tree.
if(NOT PARLAVOX_TSAN)
  add_test(NAME manager_rooms_tsan
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DTSAN_DIR=${CMAKE_BINARY_DIR}/tsan
            -DTARGET=test_manager_rooms -P ${CMAKE_CURRENT_LIST_DIR}/tsan/runUnderTsan.cmake)
  set_tests_properties(manager_rooms_tsan PROPERTIES LABELS core TIMEOUT 1200 RESOURCE_LOCK tsan_tree COST 500)
endif()
