skyt_test(test_element_format SOURCES ${CMAKE_CURRENT_LIST_DIR}/element_format_test.cpp)
