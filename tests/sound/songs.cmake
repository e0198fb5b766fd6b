skyt_test(test_sound_songs SOURCES ${CMAKE_CURRENT_LIST_DIR}/songs_test.cpp LABELS threads)
