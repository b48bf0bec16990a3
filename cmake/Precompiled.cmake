# Precompiled headers: the toolkit's headers (and, for the tests, the test framework's) take most
# of the time of compiling a window or a test, and are the same for every file. Each set is
# compiled once per tree, by a target of its own, and the others take it from there.
# parlavox_use_precompiled(<target> TOOLKIT|TESTS)
option(PARLAVOX_PCH "Precompile the toolkit's and the test framework's headers" ON)

if(PARLAVOX_PCH)
  add_library(parlavox_pch_toolkit STATIC ${CMAKE_SOURCE_DIR}/cmake/precompiled/empty.cpp)
  target_compile_options(parlavox_pch_toolkit PRIVATE ${PARLAVOX_WARNINGS})
  target_precompile_headers(parlavox_pch_toolkit PRIVATE ${CMAKE_SOURCE_DIR}/cmake/precompiled/toolkit.h)
  if(PARLAVOX_TESTS)
    find_package(GTest REQUIRED)
    add_library(parlavox_pch_tests STATIC ${CMAKE_SOURCE_DIR}/cmake/precompiled/empty.cpp)
    target_compile_options(parlavox_pch_tests PRIVATE ${PARLAVOX_WARNINGS} ${PARLAVOX_TEST_CODE_FLAGS})
    target_link_libraries(parlavox_pch_tests PRIVATE GTest::gtest GTest::gmock)
    target_precompile_headers(parlavox_pch_tests PRIVATE ${CMAKE_SOURCE_DIR}/cmake/precompiled/tests.h)
  endif()
endif()

function(parlavox_use_precompiled target set)
  if(NOT PARLAVOX_PCH)
    return()
  endif()
  if(set STREQUAL "TESTS")
    target_precompile_headers(${target} REUSE_FROM parlavox_pch_tests)
  else()
    target_precompile_headers(${target} REUSE_FROM parlavox_pch_toolkit)
  endif()
endfunction()
