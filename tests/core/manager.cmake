# The controller against the protocol test server, with a recorder in place of the windows.
parlavox_add_test(test_manager LABEL core WX PER_CASE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerTest.cpp
  LIBS parlavox_core parlavox_test_server)

# Every Manager call from the GUI thread returns within 100 ms while the network stalls.
parlavox_add_test(test_manager_responsiveness LABEL core WX
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerResponsivenessTest.cpp
  LIBS parlavox_core parlavox_test_server)
# Sends still write on the caller's thread, so a stalled server holds the caller up: enabled once
# each link has a writer of its own.

# The controller under load from every side, with sessions coming and going, for a fixed time:
# a few seconds here, ten in the ThreadSanitizer tree, whatever the machine's load (it does less
# work when slow).
parlavox_add_test(test_manager_stress LABEL core WX TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerStressTest.cpp
  LIBS parlavox_core parlavox_test_server)
set_tests_properties(test_manager_stress PROPERTIES ENVIRONMENT PARLAVOX_STRESS_SECONDS=3)
if(NOT PARLAVOX_TSAN)
  add_test(NAME manager_stress_tsan
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DTSAN_DIR=${CMAKE_BINARY_DIR}/tsan
            -DTARGET=test_manager_stress -P ${CMAKE_CURRENT_LIST_DIR}/tsan/runUnderTsan.cmake)
  set_tests_properties(manager_stress_tsan PROPERTIES LABELS core TIMEOUT 1200 RESOURCE_LOCK tsan_tree COST 500)
endif()

# The controller under floods from the server and from local processes.
parlavox_add_test(test_manager_flood LABEL core WX PER_CASE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerFloodTest.cpp
  LIBS parlavox_core parlavox_test_server)
