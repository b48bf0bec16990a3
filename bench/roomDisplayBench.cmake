target_link_libraries(${name} PRIVATE parlavox_gui parlavox_test_server)
target_compile_definitions(${name} PRIVATE PARLAVOX_SOURCE_DATA="${CMAKE_SOURCE_DIR}/data")
# The bench counts the answers the program waits for from the X server by a function of its own
# that Xlib's callers must find first.
target_link_options(${name} PRIVATE -Wl,--export-dynamic-symbol=_XReply)
