skyt_test(viewer_link_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/viewer_link_test.cpp)
# The program binds the same ports.
set_tests_properties(viewer_link_test PROPERTIES RESOURCE_LOCK skytapper_viewer_ports)
