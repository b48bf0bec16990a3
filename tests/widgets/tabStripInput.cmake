# Window tests of the tab strip's mouse handling, tab drag and drop, the customize dialog and the
# tab navigator (one program, run under Xvfb; the navigator and pointer cases type and move the
# pointer with the X test extension).
parlavox_add_test(test_tab_strip_input LABEL widgets WX OWN_DISPLAY
                  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tabStripMouseCases.cpp
                          ${CMAKE_CURRENT_SOURCE_DIR}/tabStripPointerCases.cpp
                          ${CMAKE_CURRENT_SOURCE_DIR}/tabDragDropCases.cpp
                          ${CMAKE_CURRENT_SOURCE_DIR}/tabCustomizeDialogCases.cpp
                          ${CMAKE_CURRENT_SOURCE_DIR}/tabNavigatorCases.cpp
                  LIBS parlavox_widget_test_support parlavox_widgets)
