# The main window's handlers end to end, and the session fixture itself: the real window logged
# in to the stand-in server, with other users on the same server through the client's connection
# code.
parlavox_add_test(test_gui_end_to_end LABEL gui WX OWN_DISPLAY TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/handlersEndToEndTest.cpp ${CMAKE_CURRENT_LIST_DIR}/programSessionTest.cpp
  LIBS parlavox_program_session parlavox_gui parlavox_standin)
target_compile_definitions(test_gui_end_to_end PRIVATE PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>")
add_dependencies(test_gui_end_to_end parlavox-standin)
