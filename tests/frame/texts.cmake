skyt_test(test_texts SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_texts.cpp)
