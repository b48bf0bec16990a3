# The connection client under load from several threads. It runs in this tree, and a second
# time built with ThreadSanitizer in a tree of its own (build/tsan), which only that test needs.
parlavox_add_test(test_client_concurrency LABEL core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/clientConcurrencyTest.cpp
  LIBS parlavox_core parlavox_test_server TIMEOUT 300)

if(NOT PARLAVOX_TSAN)
  add_test(NAME client_concurrency_tsan
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DTSAN_DIR=${CMAKE_BINARY_DIR}/tsan
            -P ${CMAKE_CURRENT_LIST_DIR}/tsan/runUnderTsan.cmake)
  set_tests_properties(client_concurrency_tsan PROPERTIES LABELS network TIMEOUT 1200 RESOURCE_LOCK tsan_tree COST 500)
endif()
