skyt_test(test_sound_recording SOURCES ${CMAKE_CURRENT_LIST_DIR}/record_test.cpp
          LABELS threads LINK skyt_fake_host_clock)
skyt_test(test_sound_record_live SOURCES ${CMAKE_CURRENT_LIST_DIR}/record_live_test.cpp LABELS threads)
# JACK servers started side by side trip over each other in the shared registry: one at a time.
set_tests_properties(test_sound_record_live PROPERTIES RESOURCE_LOCK skytapper_jack_server TIMEOUT 300)
