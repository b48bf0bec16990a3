# The watch for a silent link with the figures the program ships with: about two minutes of
# waiting on the system's timers and nearly no processor. It starts among the first, to wait
# beside the other tests rather than after them. It runs in the optimised build only, the one users
# run: what it waits on is the system's timers, and the shortened watch's cases take the same code
# through the sanitizers in both builds; in the sanitizer build it held one of the suite's slots
# for two minutes doing nothing.
if(NOT PARLAVOX_SANITIZE)
  parlavox_add_test(test_link_watch LABEL network
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/linkWatchTest.cpp
    LIBS parlavox_network parlavox_test_server
    TIMEOUT 300 COST 1000)
endif()
