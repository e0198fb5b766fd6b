skyt_test(test_texts SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_texts.cpp)
skyt_test(test_texts_sources SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_texts_sources.cpp)
