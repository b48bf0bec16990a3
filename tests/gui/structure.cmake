# The families of windows reach the main window only through their faces, and gui/contacts and
# gui/profiles depend on each other one way only (structure/facesCheck.cmake says what it reads).
add_test(NAME gui_faces_check
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/structure/facesCheck.cmake)
set_tests_properties(gui_faces_check PROPERTIES LABELS gui)
