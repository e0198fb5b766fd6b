# convert_element OUT.ele FOLDER TYPE CATEGORY: the program's element converter on the command
# line; the installation uses it to build the preset kits' elements.
add_executable(convert_element ${CMAKE_CURRENT_LIST_DIR}/convert_element.cpp)
target_link_libraries(convert_element PRIVATE skyt_sound)
add_dependencies(install_tools convert_element)
