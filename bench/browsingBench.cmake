target_link_libraries(${name} PRIVATE parlavox_gui parlavox_test_server)
target_compile_definitions(${name} PRIVATE PARLAVOX_SOURCE_DATA="${CMAKE_SOURCE_DIR}/data")
