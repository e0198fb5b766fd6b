# The whole program under a virtual X server, in an installation made by tools/install.sh.
skyt_test(program_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/program_test.cpp XVFB)
add_dependencies(program_test skytapper install_tools)
# The program binds the viewer ports.
set_tests_properties(program_test PROPERTIES RESOURCE_LOCK skytapper_viewer_ports)
