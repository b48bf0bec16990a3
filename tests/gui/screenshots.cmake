# Pictures of logging in for review (not a test): `make screenshots` runs it under Xvfb and it
# writes its PNG files to the build tree's screenshots/.
add_executable(login_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/logInScreenshots.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/guiTestSupport.cpp
               ${CMAKE_SOURCE_DIR}/tests/support/screenshotProgram.cpp)
target_compile_options(login_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(login_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(login_screenshots PRIVATE parlavox_gui parlavox_test_server parlavox_test_support X11)

# Pictures of the main window's tool bar and nickname panel, and the tray icons.
add_executable(main_window_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/mainWindowScreenshots.cpp
               ${CMAKE_SOURCE_DIR}/tests/widgets/widgetTestSupport.cpp
               ${CMAKE_SOURCE_DIR}/tests/support/screenshotProgram.cpp)
target_compile_options(main_window_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(main_window_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(main_window_screenshots PRIVATE parlavox_gui X11)

# Pictures of the profile windows (own and a contact's) and of the contact tool tip.
add_executable(profiles_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/profilesScreenshots.cpp
               ${CMAKE_SOURCE_DIR}/tests/widgets/widgetTestSupport.cpp
               ${CMAKE_SOURCE_DIR}/tests/support/screenshotProgram.cpp)
target_compile_options(profiles_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(profiles_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(profiles_screenshots PRIVATE parlavox_gui X11)
