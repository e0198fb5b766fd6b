skyt_test(test_drum_kit_model SOURCES ${CMAKE_CURRENT_LIST_DIR}/kit_model_test.cpp)
skyt_test(test_drum_finding SOURCES ${CMAKE_CURRENT_LIST_DIR}/find_test.cpp)
skyt_test(test_drum_playing SOURCES ${CMAKE_CURRENT_LIST_DIR}/play_test.cpp LINK skyt_fake_portmidi)
skyt_test(test_drummer SOURCES ${CMAKE_CURRENT_LIST_DIR}/drummer_test.cpp LINK skyt_fake_portmidi)
