# viewer_probe [HOST] [SECONDS] [CODE[:HEX]...]: a stand-in viewer for a running Skytapper.
# Built from the test support, so only with the tests.
if(TARGET skyt_test_support)
  add_executable(viewer_probe ${CMAKE_CURRENT_LIST_DIR}/viewer_probe.cpp)
  target_link_libraries(viewer_probe PRIVATE skyt_test_support skyt_airmenu)
endif()
