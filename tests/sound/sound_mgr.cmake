skyt_test(test_sound_mgr SOURCES ${CMAKE_CURRENT_LIST_DIR}/sound_mgr_test.cpp
          LINK skyt_fake_portmidi)
skyt_test(test_sound_mgr_loading SOURCES ${CMAKE_CURRENT_LIST_DIR}/sound_mgr_loading_test.cpp
          LABELS threads)
