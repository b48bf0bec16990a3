# The program as its users get it: installed under a prefix of their choosing, and run for the
# first time through the run script beside the stand-in server, each in a fresh home.
parlavox_add_test(test_program LABEL program TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/installTest.cpp
  LIBS parlavox_test_screen parlavox_model)
# The first run types into the program's window: the keyboard is the display's, shared with
# every other test, so it runs alone.
parlavox_add_test(test_first_run LABEL program TIMEOUT 180 SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/firstRunTest.cpp
  LIBS parlavox_test_screen parlavox_model)
foreach(target test_program test_first_run)
  target_compile_definitions(${target} PRIVATE PARLAVOX_CMAKE_COMMAND="${CMAKE_COMMAND}"
    PARLAVOX_PROGRAM="$<TARGET_FILE:parlavox>" PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>")
  add_dependencies(${target} parlavox parlavox-standin)
endforeach()
# The script that runs the window tests on X servers of their own.
parlavox_add_test(test_own_display LABEL program
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ownDisplayTest.cpp
  LIBS parlavox_test_screen)
