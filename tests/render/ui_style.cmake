skyt_test(ui_style_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_style_test.cpp)
