skyt_test(test_sound_recording SOURCES ${CMAKE_CURRENT_LIST_DIR}/record_test.cpp
          LABELS threads LINK skyt_fake_host_clock)
skyt_test(test_sound_record_live SOURCES ${CMAKE_CURRENT_LIST_DIR}/record_live_test.cpp LABELS threads)
