# The contacts-list bench shows the real contacts panel.
target_link_libraries(${name} PRIVATE parlavox_gui)
target_compile_definitions(${name} PRIVATE PARLAVOX_SOURCE_DATA="${CMAKE_SOURCE_DIR}/data")
