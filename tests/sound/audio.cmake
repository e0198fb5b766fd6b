skyt_test(test_audio_mixer SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_mixer_test.cpp LABELS threads)
skyt_test(test_audio_decode SOURCES ${CMAKE_CURRENT_LIST_DIR}/decode_test.cpp LABELS threads)
