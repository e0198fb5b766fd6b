skyt_test(app_decisions_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_decisions_test.cpp)
skyt_test(app_frame_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_frame_test.cpp)
