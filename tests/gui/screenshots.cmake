# Pictures for review (not tests): each program is built with the tests, so that a change that
# breaks one is seen at once, and only `make screenshots` runs them, under Xvfb; they write their
# PNG files to the build tree's screenshots/.

# Pictures of logging in.
add_executable(login_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/logInScreenshots.cpp)
target_compile_options(login_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(login_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(login_screenshots PRIVATE parlavox_screenshot_program parlavox_gui_test_support parlavox_gui parlavox_test_server parlavox_test_support parlavox_display_probe X11)

# Pictures of the main window's tool bar and nickname panel, and the tray icons.
add_executable(main_window_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/mainWindowScreenshots.cpp)
target_compile_options(main_window_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(main_window_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(main_window_screenshots PRIVATE parlavox_widget_test_support parlavox_screenshot_program parlavox_gui parlavox_display_probe X11)

# Pictures of the profile windows (own and a contact's) and of the contact tool tip.
add_executable(profiles_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/profilesScreenshots.cpp)
target_compile_options(profiles_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(profiles_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(profiles_screenshots PRIVATE parlavox_widget_test_support parlavox_screenshot_program parlavox_gui_test_support parlavox_gui parlavox_display_probe X11)
# Pictures of the sites panel: several sites, a site with people, its menus and its tip.
add_executable(sites_panel_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/sitesPanelScreenshots.cpp)
target_compile_options(sites_panel_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(sites_panel_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(sites_panel_screenshots PRIVATE parlavox_screenshot_program parlavox_gui_test_support parlavox_gui GTest::gtest parlavox_display_probe X11 Xtst)
# Pictures of a site's window and of the sites manager.
add_executable(site_windows_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/siteWindowsScreenshots.cpp)
target_compile_options(site_windows_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(site_windows_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(site_windows_screenshots PRIVATE parlavox_widget_test_support parlavox_screenshot_program parlavox_gui_test_support parlavox_gui parlavox_display_probe X11)
# Pictures of the contacts list: each grouping and offline mode, an expanded row, a row's menu.
add_executable(contacts_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/contactsScreenshots.cpp)
target_compile_options(contacts_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(contacts_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(contacts_screenshots PRIVATE parlavox_screenshot_program parlavox_gui_test_support parlavox_gui parlavox_test_support parlavox_display_probe X11 Xtst)
# Pictures of the chat-rooms window: a conversation, and the smiley grid.
add_executable(rooms_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/roomsScreenshots.cpp)
target_compile_options(rooms_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(rooms_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(rooms_screenshots PRIVATE parlavox_widget_test_support parlavox_screenshot_program parlavox_gui_test_support parlavox_gui parlavox_display_probe X11)
# Pictures of the file-transfers window and of a site's comments window.
add_executable(files_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/filesScreenshots.cpp)
target_compile_options(files_screenshots PRIVATE ${PARLAVOX_WARNINGS})
target_compile_definitions(files_screenshots PRIVATE PARLAVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(files_screenshots PRIVATE parlavox_screenshot_program parlavox_gui_test_support parlavox_gui parlavox_test_support parlavox_display_probe X11)
