# The whole program on the stand-in server (tests/support/programSession.h) and what it stands on
# is the library parlavox_program_session; the display's keyboard, which answers file dialogs
# (fileChoice.h), stands in parlavox_test_screen (tests/support/CMakeLists.txt).

# The tests of each family of windows stand in the folder of the family's name (rooms/, contacts/,
# profiles/, sites/), as the windows do under gui/.
file(GLOB GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
# The end-to-end runs on the stand-in server are a program of their own (handlersEndToEnd.cmake).
list(FILTER GUI_TEST_SOURCES EXCLUDE REGEX "/(handlersEndToEnd|programSession|[A-Za-z]*Desktop)Test\\.cpp$")
# Its longest suites (logging in from the panel, the tray, the real program's start and end, the
# nickname panel) run beside the others as test_gui_entry.
parlavox_add_test(test_gui LABEL gui WX OWN_DISPLAY TIMEOUT 600
  SPLIT entry "LogInFromThePanel.*:Tray.*:Program.*:NicknamePanelTest.*"
  SOURCES ${GUI_TEST_SOURCES}
  LIBS parlavox_gui_test_support parlavox_test_screen parlavox_gui parlavox_test_server)
# The sound tests listen to their own sound server's sink through its simple interface.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PULSE_SIMPLE REQUIRED IMPORTED_TARGET libpulse-simple)
target_link_libraries(test_gui PRIVATE PkgConfig::PULSE_SIMPLE)

# Each family's tests are a program of their own on an X server of their own, so the families run
# beside each other: test_gui_rooms, test_gui_contacts, test_gui_profiles, test_gui_sites, and
# test_gui_screen (what of the whole program's windows lies on the screen and shows whole). A
# family's test support (files not ending in Test.cpp) is built into its program. The rooms are
# the longest: their cases on the stand-in server (the *Session suites) run beside the others,
# as test_gui_rooms_sessions.
set(SPLIT_rooms SPLIT sessions "*Session.*")
foreach(family rooms contacts profiles sites screen)
  file(GLOB FAMILY_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${family}/*.cpp)
  list(FILTER FAMILY_TEST_SOURCES EXCLUDE REGEX "DesktopTest\\.cpp$")
  if(FAMILY_TEST_SOURCES)
    parlavox_add_test(test_gui_${family} LABEL gui WX OWN_DISPLAY TIMEOUT 600 ${SPLIT_${family}}
      SOURCES ${FAMILY_TEST_SOURCES}
      LIBS parlavox_program_session parlavox_test_screen parlavox_gui parlavox_test_server parlavox_standin)
    target_compile_definitions(test_gui_${family} PRIVATE
      PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>" PARLAVOX_PROGRAM="$<TARGET_FILE:parlavox>")
    add_dependencies(test_gui_${family} parlavox-standin parlavox)
  endif()
endforeach()

# The cases that start a window manager or a tray host stand in files of their own,
# *DesktopTest.cpp, each a program of its own (test_gui_<name>_desktop, or
# test_gui_<family>_<name>_desktop with the family's test support) whose every case runs in a
# process and on a display of its own (DESKTOP in cmake/ParlavoxTesting.cmake).
file(GLOB DESKTOP_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*DesktopTest.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/*/*DesktopTest.cpp)
foreach(source ${DESKTOP_TEST_SOURCES})
  get_filename_component(name ${source} NAME)
  string(REGEX REPLACE "DesktopTest\\.cpp$" "" name ${name})
  get_filename_component(folder ${source} DIRECTORY)
  set(support)
  if(folder STREQUAL CMAKE_CURRENT_SOURCE_DIR)
    set(target test_gui_${name}_desktop)
  else()
    get_filename_component(family ${folder} NAME)
    set(target test_gui_${family}_${name}_desktop)
    file(GLOB support CONFIGURE_DEPENDS ${folder}/*.cpp)
    list(FILTER support EXCLUDE REGEX "Test\\.cpp$")
  endif()
  parlavox_add_test(${target} LABEL gui WX DESKTOP TIMEOUT 600 SOURCES ${source} ${support}
    LIBS parlavox_program_session parlavox_test_screen parlavox_gui parlavox_test_server parlavox_standin)
  target_compile_definitions(${target} PRIVATE
    PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>" PARLAVOX_PROGRAM="$<TARGET_FILE:parlavox>")
  add_dependencies(${target} parlavox-standin parlavox)
endforeach()

# The texts that stand side by side, the name row of the main window, the texts and fields of the
# log-in panel and of the preferences window, the headers and rows of the contacts list and the
# sites panel, a site's comments window, again with every font twice as large:
# test_gui_large_font, test_gui_contacts_large_font, test_gui_sites_large_font and
# test_gui_rooms_large_font.
parlavox_add_large_font_test(test_gui
  "NicknamePanelTest.NameAndPresence*:LogInFromThePanel.LinksAndStatusLines*:Preferences.LabelsAndFields*")
parlavox_add_large_font_test(test_gui_contacts "GroupHeadersFit.*:ContactRowsFit.*")
parlavox_add_large_font_test(test_gui_sites "SitesPanelFit.*")
parlavox_add_large_font_test(test_gui_rooms "CommentsWindow.EveryControlInsideAtTheFontInUse")
