skyt_test(test_midi SOURCES ${CMAKE_CURRENT_LIST_DIR}/midi_test.cpp LINK skyt_fake_portmidi)
skyt_test(test_midi_threads SOURCES ${CMAKE_CURRENT_LIST_DIR}/midi_threads_test.cpp
          LABELS threads LINK skyt_fake_portmidi)
skyt_test(test_midi_real_portmidi SOURCES ${CMAKE_CURRENT_LIST_DIR}/midi_real_test.cpp)
