# The tab renderers: geometry and memory paints of every look.
parlavox_add_test(test_tab_renderers LABEL widgets WX OWN_DISPLAY
                  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tabRendererTests.cpp
                          ${CMAKE_CURRENT_SOURCE_DIR}/widgetTestSupport.cpp
                  LIBS parlavox_widgets)
