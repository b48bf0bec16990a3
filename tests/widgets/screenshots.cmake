# Pictures of the notebook's looks for review (not a test): built with the tests, so that a change
# that breaks it is seen at once; only `make screenshots` runs it, under Xvfb, and it writes its
# PNG files to the build tree's screenshots/.
add_executable(notebook_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/notebookScreenshots.cpp)
target_compile_options(notebook_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(notebook_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(notebook_screenshots PRIVATE parlavox_widget_test_support parlavox_screenshot_program parlavox_widgets parlavox_display_probe X11)
