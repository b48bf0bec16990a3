# Clients of the stand-in server program, which the bench starts.
target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/standin/standinProcess.cpp)
target_link_libraries(${name} PRIVATE parlavox_standin_link)
target_compile_definitions(${name} PRIVATE PARLAVOX_STANDIN_PROGRAM="$<TARGET_FILE:parlavox-standin>")
add_dependencies(${name} parlavox-standin)
