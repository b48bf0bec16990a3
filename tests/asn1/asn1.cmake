# Message schema tests, and the replay of the fuzz corpus through the same functions that the
# libFuzzer targets run (so the ordinary test run covers every saved input without clang).
file(GLOB ASN1_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
parlavox_add_test(test_asn1 LABEL asn1 SOURCES ${ASN1_TEST_SOURCES} LIBS parlavox_asn1)

foreach(pdu s2c c2c)
  set(replay fuzzReplay_${pdu})
  add_executable(${replay} ${CMAKE_SOURCE_DIR}/fuzz/${pdu}RequestFuzz.cpp
    ${CMAKE_SOURCE_DIR}/fuzz/fuzzDecode.cpp ${CMAKE_SOURCE_DIR}/fuzz/replayMain.cpp)
  target_compile_options(${replay} PRIVATE ${PARLAVOX_WARNINGS})
  target_link_libraries(${replay} PRIVATE parlavox_asn1)
  add_test(NAME ${replay} COMMAND ${replay} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${pdu})
  set_tests_properties(${replay} PROPERTIES LABELS asn1 TIMEOUT 300 ENVIRONMENT "${PARLAVOX_TEST_ENV}")
endforeach()
