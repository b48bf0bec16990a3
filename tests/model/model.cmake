# Model tests without windows: every *Test.cpp except the *GuiTest.cpp ones.
file(GLOB MODEL_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
list(FILTER MODEL_TEST_SOURCES EXCLUDE REGEX "GuiTest\\.cpp$")
parlavox_add_test(test_model LABEL model SOURCES ${MODEL_TEST_SOURCES} LIBS parlavox_model)
