skyt_test(test_drum_tracks SOURCES ${CMAKE_CURRENT_LIST_DIR}/drum_tracks_test.cpp)
add_dependencies(test_drum_tracks drum_tracks)
