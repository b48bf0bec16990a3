# User journeys: the built programs run as two people against one stand-in server, driven and
# judged from outside only. Every *Test.cpp here is a journey; the program runs on an X server of
# its own (and, where the system allows, a loopback network of its own), beside the other tests.
# Alone they take about two minutes in the sanitizer build (a minute and a half optimised); the
# limit leaves room for a machine busy with the other tests.
# The fifty starts in a row are a program of their own (test_journeys_starts), run beside the rest.
file(GLOB JOURNEY_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER JOURNEY_SOURCES EXCLUDE REGEX "/startsTest\\.cpp$")
set(JOURNEY_SUPPORT ${CMAKE_CURRENT_LIST_DIR}/journey.cpp ${CMAKE_CURRENT_LIST_DIR}/ownNetwork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/personNetwork.cpp)
parlavox_add_test(test_journeys LABEL journeys OWN_DISPLAY TIMEOUT 600
  SOURCES ${JOURNEY_SOURCES} ${CMAKE_SOURCE_DIR}/tests/program/childProgram.cpp
    ${CMAKE_SOURCE_DIR}/tests/program/screen.cpp ${CMAKE_SOURCE_DIR}/tests/program/keyboard.cpp
    ${CMAKE_SOURCE_DIR}/tests/standin/standinProcess.cpp
    ${CMAKE_SOURCE_DIR}/tests/standin/standinTestSupport.cpp
  LIBS parlavox_core parlavox_standin X11 Xtst)
parlavox_add_test(test_journeys_starts LABEL journeys OWN_DISPLAY TIMEOUT 900
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/startsTest.cpp ${JOURNEY_SUPPORT}
    ${CMAKE_SOURCE_DIR}/tests/program/childProgram.cpp
    ${CMAKE_SOURCE_DIR}/tests/program/screen.cpp ${CMAKE_SOURCE_DIR}/tests/program/keyboard.cpp
    ${CMAKE_SOURCE_DIR}/tests/standin/standinProcess.cpp
    ${CMAKE_SOURCE_DIR}/tests/standin/standinTestSupport.cpp
  LIBS parlavox_core parlavox_standin X11 Xtst)
foreach(target test_journeys test_journeys_starts)
  target_compile_definitions(${target} PRIVATE
    PARLAVOX_PROGRAM="$<TARGET_FILE:parlavox>" PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>"
    PARLAVOX_LOGCAT="$<TARGET_FILE:parlavox-logcat>")
  add_dependencies(${target} parlavox parlavox-standin parlavox-logcat)
endforeach()
