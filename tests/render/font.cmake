skyt_test(test_font SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_font.cpp)
