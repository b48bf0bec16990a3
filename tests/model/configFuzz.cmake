# The settings file fuzz corpus, replayed through the function the libFuzzer target runs.
add_executable(fuzzReplay_config ${CMAKE_SOURCE_DIR}/fuzz/configLoadFuzz.cpp ${CMAKE_SOURCE_DIR}/fuzz/replayMain.cpp)
target_compile_options(fuzzReplay_config PRIVATE ${PARLAVOX_WARNINGS})
target_link_libraries(fuzzReplay_config PRIVATE parlavox_model)
add_test(NAME fuzzReplay_config COMMAND fuzzReplay_config ${CMAKE_SOURCE_DIR}/fuzz/corpus/config)
set_tests_properties(fuzzReplay_config PROPERTIES LABELS model TIMEOUT 300)
