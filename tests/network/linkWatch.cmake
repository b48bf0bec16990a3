# The watch for a silent link with the figures the program ships with: about two minutes of
# waiting on the system's timers and nearly no processor. It starts among the first, to wait
# beside the other tests rather than after them.
parlavox_add_test(test_link_watch LABEL network
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/linkWatchTest.cpp
  LIBS parlavox_network parlavox_test_server
  TIMEOUT 300 COST 1000)
