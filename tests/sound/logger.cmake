skyt_test(test_sound_logger SOURCES ${CMAKE_CURRENT_LIST_DIR}/logger_test.cpp)
skyt_test(test_sound_logger_scrub SOURCES ${CMAKE_CURRENT_LIST_DIR}/logger_scrub_test.cpp)
