# The tab renderers: geometry, memory paints of every look and screenshots for review.
parlavox_add_test(test_tab_renderers LABEL widgets WX SERIAL
                  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tabRendererTests.cpp
                          ${CMAKE_CURRENT_SOURCE_DIR}/widgetTestSupport.cpp
                  LIBS parlavox_widgets)
