# The tests of each family of windows stand in the folder of the family's name (rooms/, contacts/,
# profiles/, sites/), as the windows do under gui/.
file(GLOB GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/*/*Test.cpp)
# The end-to-end run on the stand-in server is a program of its own (handlersEndToEnd.cmake).
list(FILTER GUI_TEST_SOURCES EXCLUDE REGEX "/handlersEndToEndTest\\.cpp$")
parlavox_add_test(test_gui LABEL gui WX SERIAL TIMEOUT 300
  SOURCES ${GUI_TEST_SOURCES} ${CMAKE_CURRENT_SOURCE_DIR}/guiTestSupport.cpp
  LIBS parlavox_gui parlavox_test_server X11)
