skyt_test(platform_window_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform_window_test.cpp XVFB)
