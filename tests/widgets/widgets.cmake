# Window tests of the shared controls and the tabbed notebook (one program, run under Xvfb; a
# window manager's messages are sent to the windows through the display, as another program would).
file(GLOB WIDGETS_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
parlavox_add_test(test_widgets LABEL widgets WX OWN_DISPLAY
                  SOURCES ${WIDGETS_TEST_SOURCES}
                  LIBS parlavox_test_screen parlavox_widget_test_support parlavox_widgets)
