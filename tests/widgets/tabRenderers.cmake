# The tab renderers: geometry and memory paints of every look.
parlavox_add_test(test_tab_renderers LABEL widgets WX OWN_DISPLAY
                  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tabRendererTests.cpp
                  LIBS parlavox_widget_test_support parlavox_widgets)
