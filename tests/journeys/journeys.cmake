# User journeys: the built programs run as two people against one stand-in server, driven and
# judged from outside only. Every *Test.cpp here is a journey; the program runs on an X server of
# its own (and, where the system allows, a loopback network of its own), beside the other tests.
# Alone they take about two minutes in the sanitizer build (a minute and a half optimised); the
# limit leaves room for a machine busy with the other tests.
file(GLOB JOURNEY_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
parlavox_add_test(test_journeys LABEL journeys OWN_DISPLAY TIMEOUT 600
  SOURCES ${JOURNEY_SOURCES}
  LIBS parlavox_test_screen parlavox_test_standin parlavox_core parlavox_standin)
target_compile_definitions(test_journeys PRIVATE
  PARLAVOX_PROGRAM="$<TARGET_FILE:parlavox>" PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>"
  PARLAVOX_LOGCAT="$<TARGET_FILE:parlavox-logcat>" PARLAVOX_VISIT_SCRIPT="${CMAKE_SOURCE_DIR}/scripts/visit"
  PARLAVOX_WEBSITE_ADDRESS="${PARLAVOX_WEBSITE}")
add_dependencies(test_journeys parlavox parlavox-standin parlavox-logcat)
