# User journeys: the built programs run as two people against one stand-in server, driven and
# judged from outside only. Every *Test.cpp here is a journey; the program runs on an X server of
# its own (and, where the system allows, a loopback network of its own), beside the other tests.
# Alone they take about two minutes in the sanitizer build (a minute and a half optimised); the
# limit leaves room for a machine busy with the other tests.
# The fifty starts in a row are a program of their own (test_journeys_starts), run beside the rest.
file(GLOB JOURNEY_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER JOURNEY_SOURCES EXCLUDE REGEX "/(startsTest|journey|ownNetwork|personNetwork)\\.cpp$")
set(JOURNEY_SUPPORT ${CMAKE_CURRENT_LIST_DIR}/journey.cpp ${CMAKE_CURRENT_LIST_DIR}/ownNetwork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/personNetwork.cpp)
parlavox_add_test(test_journeys LABEL journeys OWN_DISPLAY TIMEOUT 600
  SOURCES ${JOURNEY_SOURCES}
  LIBS parlavox_journey_support)
parlavox_add_test(test_journeys_starts LABEL journeys OWN_DISPLAY TIMEOUT 900
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/startsTest.cpp
  LIBS parlavox_journey_support)
# What the journeys share (a person, the screen, the stand-in), built once for both programs.
add_library(parlavox_journey_support STATIC ${JOURNEY_SUPPORT})
target_compile_options(parlavox_journey_support PRIVATE ${PARLAVOX_WARNINGS})
parlavox_use_precompiled(parlavox_journey_support TESTS)
target_link_libraries(parlavox_journey_support PUBLIC parlavox_test_screen parlavox_test_standin parlavox_core
  parlavox_standin GTest::gtest)
target_compile_definitions(parlavox_journey_support PUBLIC
  PARLAVOX_PROGRAM="$<TARGET_FILE:parlavox>" PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>"
  PARLAVOX_LOGCAT="$<TARGET_FILE:parlavox-logcat>" PARLAVOX_VISIT_SCRIPT="${CMAKE_SOURCE_DIR}/scripts/visit"
  PARLAVOX_WEBSITE_ADDRESS="${PARLAVOX_WEBSITE}")
foreach(target test_journeys test_journeys_starts)
  add_dependencies(${target} parlavox parlavox-standin parlavox-logcat)
endforeach()
