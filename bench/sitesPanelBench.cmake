# The sites panel bench shows the real windows.
target_link_libraries(${name} PRIVATE parlavox_gui)
