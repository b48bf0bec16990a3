# Test helpers: every test program is a GoogleTest executable whose cases CTest runs one process
# each (process-wide state such as the trace log stays isolated), labelled by layer.
include(GoogleTest)

set(PARLAVOX_TEST_ENV
  "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/lsan.supp:print_suppressions=0"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
  "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1"
  "GDK_BACKEND=x11"
  "NO_AT_BRIDGE=1"
  "PARLAVOX_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
  "PARLAVOX_BUILD_DIR=${CMAKE_BINARY_DIR}")

# parlavox_add_test(<target> LABEL <layer> SOURCES <files...> [LIBS <libs...>] [WX] [SERIAL]
#                   [TIMEOUT <seconds>])
# WX: the test main starts a wx GUI application (needs an X display, Xvfb under `make test`).
# SERIAL: the cases must not run beside other tests (focus, pointer, timing-sensitive windows).
# A WX program runs as one CTest test (starting the tool kit costs seconds); PER_CASE runs each
# of its cases in a process of its own instead.
function(parlavox_add_test target)
  cmake_parse_arguments(T "WX;SERIAL;PER_CASE" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_compile_options(${target} PRIVATE ${PARLAVOX_WARNINGS})
  if(T_WX)
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
  if(T_WX AND NOT T_PER_CASE)
    add_test(NAME ${target} COMMAND ${target} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${target} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
      RUN_SERIAL ${serial} ENVIRONMENT "${PARLAVOX_TEST_ENV}")
  else()
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT} RUN_SERIAL ${serial}
                 ENVIRONMENT "${PARLAVOX_TEST_ENV}")
  endif()
endfunction()
