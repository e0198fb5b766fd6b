skyt_test(test_sound_logger SOURCES ${CMAKE_CURRENT_LIST_DIR}/logger_test.cpp)
