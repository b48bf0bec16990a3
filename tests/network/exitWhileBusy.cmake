# A process that exits while its transfers and listener are busy, run as a child by the test.
add_executable(exit_while_busy_child ${CMAKE_CURRENT_LIST_DIR}/exitWhileBusyChild.cpp)
target_compile_options(exit_while_busy_child PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(exit_while_busy_child PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(exit_while_busy_child PRIVATE parlavox_network)
parlavox_add_test(test_exit_while_busy LABEL network SOURCES ${CMAKE_CURRENT_LIST_DIR}/exitWhileBusyTest.cpp
  TIMEOUT 120)
target_compile_definitions(test_exit_while_busy PRIVATE EXIT_WHILE_BUSY_CHILD="$<TARGET_FILE:exit_while_busy_child>")
add_dependencies(test_exit_while_busy exit_while_busy_child)
