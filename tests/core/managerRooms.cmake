# The controller's sites, rooms, private rooms, smileys and file transfers, end to end on
# loopback: the protocol test server, the extension listener asked over HTTP, the file server.
parlavox_add_test(test_manager_rooms LABEL core WX PER_CASE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerRoomsTest.cpp
  LIBS parlavox_core parlavox_test_server)
parlavox_add_test(test_manager_files LABEL core WX PER_CASE TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerFilesTest.cpp
  LIBS parlavox_core parlavox_test_server)
# The file and message flow again in the ThreadSanitizer tree.
if(NOT PARLAVOX_TSAN)
  add_test(NAME manager_files_tsan
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DTSAN_DIR=${CMAKE_BINARY_DIR}/tsan
            -DTARGET=test_manager_files -P ${CMAKE_CURRENT_LIST_DIR}/tsan/runUnderTsan.cmake)
  set_tests_properties(manager_files_tsan PROPERTIES LABELS core TIMEOUT 1200 RESOURCE_LOCK tsan_tree)
endif()
