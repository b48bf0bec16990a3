# The program as its users get it: installed under a prefix of their choosing, and run for the
# first time through the run script beside the stand-in server, each in a fresh home.
parlavox_add_test(test_program LABEL program TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/installTest.cpp ${CMAKE_CURRENT_LIST_DIR}/firstRunTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/childProgram.cpp
  LIBS parlavox_model X11)
target_compile_definitions(test_program PRIVATE PARLAVOX_CMAKE_COMMAND="${CMAKE_COMMAND}"
  PARLAVOX_PROGRAM="$<TARGET_FILE:parlavox>" PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>")
add_dependencies(test_program parlavox parlavox-standin)
