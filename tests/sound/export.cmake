skyt_test(test_sound_export SOURCES ${CMAKE_CURRENT_LIST_DIR}/export_test.cpp
          LABELS threads LINK skyt_fake_host_clock)
