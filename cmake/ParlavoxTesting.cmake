# Test helpers: every test program is a GoogleTest executable whose cases CTest runs one process
# each (process-wide state such as the trace log stays isolated), labelled by layer.
include(GoogleTest)

# Sanitizer options, the X11 back end and the tree locations are built into the test mains
# (tests/support), so a test runs the same from CTest, a shell or a debugger.

# parlavox_add_test(<target> LABEL <layer> SOURCES <files...> [LIBS <libs...>] [WX] [SERIAL]
#                   [TIMEOUT <seconds>] [COST <cost>] [SPLIT <suffix> <gtest filter>])
# WX: the test main starts a wx GUI application (needs an X display, Xvfb under `make test`).
# SERIAL: the cases must not run beside other tests (focus, pointer, timing-sensitive windows).
# COST (a program without windows): its cases start before those of lower cost, as the long
# ones should.
# A WX program runs as one CTest test (starting the tool kit costs seconds); PER_CASE runs each
# of its cases in a process of its own instead.
# OWN_DISPLAY: the program runs on an X server of its own (tests/support/ownDisplay.sh), so it
# may type and click beside other tests instead of running alone; it runs as one CTest test.
# SPLIT (with OWN_DISPLAY): a long program runs as two CTest tests side by side, each on an X
# server of its own: <target>_<suffix> runs the cases the filter selects (positive patterns
# only), <target> all the others, so that a case added later runs in one of them.
# DESKTOP (a wx program): the cases start a window manager or a tray host, and each runs in a
# process and on an X server of its own, also when the program is run whole by hand
# (tests/support/casesApart.h). Each case is a CTest test of its own, read from the TEST and
# TEST_F lines of the sources that end in DesktopTest.cpp.
function(parlavox_add_test target)
  cmake_parse_arguments(T "WX;SERIAL;PER_CASE;OWN_DISPLAY;DESKTOP" "LABEL;TIMEOUT;COST" "SOURCES;LIBS;SPLIT" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_compile_options(${target} PRIVATE ${PARLAVOX_WARNINGS})
  parlavox_use_precompiled(${target} TESTS)
  if(T_DESKTOP)
    target_link_libraries(${target} PRIVATE parlavox_test_main_desktop)
  elseif(T_WX)
    target_link_libraries(${target} PRIVATE parlavox_test_main_wx)
  else()
    target_link_libraries(${target} PRIVATE parlavox_test_main)
  endif()
  target_link_libraries(${target} PRIVATE ${T_LIBS} parlavox_test_support GTest::gtest GTest::gmock)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(serial FALSE)
  if(T_SERIAL)
    set(serial TRUE)
  endif()
  if(T_DESKTOP)
    foreach(source ${T_SOURCES})
      if(NOT source MATCHES "DesktopTest\\.cpp$")
        continue()
      endif()
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
      file(STRINGS ${source} cases REGEX "^TEST(_F)?\\([A-Za-z0-9_]+, *[A-Za-z0-9_]+\\)")
      foreach(case ${cases})
        string(REGEX REPLACE "^TEST(_F)?\\(([A-Za-z0-9_]+), *([A-Za-z0-9_]+)\\).*" "\\2.\\3" name "${case}")
        add_test(NAME ${target}.${name} COMMAND ${target} --gtest_filter=${name}
          WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
        set_tests_properties(${target}.${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT} COST 1000)
      endforeach()
    endforeach()
  elseif(T_OWN_DISPLAY)
    set(runs ${target})
    if(T_SPLIT)
      list(GET T_SPLIT 0 suffix)
      list(GET T_SPLIT 1 filter)
      set(runs ${target} ${target}_${suffix})
      set(only_${target} --gtest_filter=-${filter})
      set(only_${target}_${suffix} --gtest_filter=${filter})
    endif()
    foreach(run ${runs})
      add_test(NAME ${run} COMMAND ${CMAKE_SOURCE_DIR}/tests/support/ownDisplay.sh $<TARGET_FILE:${target}> ${only_${run}}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
      # The whole programs on displays of their own are the longest tests: they start first, and
      # the short ones fill the processors beside them, instead of running last, alone.
      set_tests_properties(${run} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT} RUN_SERIAL ${serial} COST 1000)
    endforeach()
  elseif(T_WX AND NOT T_PER_CASE)
    add_test(NAME ${target} COMMAND ${target} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${target} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT} RUN_SERIAL ${serial})
  else()
    set(cost)
    if(T_COST)
      set(cost COST ${T_COST})
    endif()
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT} RUN_SERIAL ${serial} ${cost})
  endif()
endfunction()

# parlavox_add_large_font_test(<target> <gtest filter>): the cases of an OWN_DISPLAY program that
# the filter selects run once more, as <target>_large_font, with every font of the tool kit twice
# as large (GDK_DPI_SCALE=2), as a user who chose large fonts has them.
function(parlavox_add_large_font_test target filter)
  add_test(NAME ${target}_large_font
    COMMAND ${CMAKE_SOURCE_DIR}/tests/support/ownDisplay.sh $<TARGET_FILE:${target}> --gtest_filter=${filter}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  get_test_property(${target} LABELS labels)
  set_tests_properties(${target}_large_font PROPERTIES LABELS "${labels}" TIMEOUT 300 ENVIRONMENT GDK_DPI_SCALE=2)
endfunction()
