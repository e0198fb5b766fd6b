skyt_test(test_audio_mixer SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_mixer_test.cpp LABELS threads)
skyt_test(test_audio_decode SOURCES ${CMAKE_CURRENT_LIST_DIR}/decode_test.cpp LABELS threads)
skyt_test(test_audio_loader SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_loader_test.cpp LABELS threads)
skyt_test(test_audio_device SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_device_test.cpp LABELS threads)
# JACK servers started side by side trip over each other in the shared registry: one at a time.
set_tests_properties(test_audio_device PROPERTIES RESOURCE_LOCK skytapper_jack_server TIMEOUT 300)
skyt_test(test_audio_nodevice SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_nodevice_test.cpp)
