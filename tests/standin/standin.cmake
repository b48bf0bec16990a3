# The stand-in server: real clients and hostile ones against the program, and its parts alone.
parlavox_add_test(test_standin LABEL standin
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/endToEndTest.cpp ${CMAKE_CURRENT_LIST_DIR}/hostileClientsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/runScriptTest.cpp
  LIBS parlavox_test_standin parlavox_core parlavox_standin)
target_compile_definitions(test_standin PRIVATE PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>")
add_dependencies(test_standin parlavox-standin)
