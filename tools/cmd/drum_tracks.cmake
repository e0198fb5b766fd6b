# drum_tracks TRACKS [DRUMS]: marker tracks through the drumming controller, one line per voice
# started. Built on the drumming test bench, so only with the tests.
if(TARGET skyt_test_support)
  add_executable(drum_tracks ${CMAKE_CURRENT_LIST_DIR}/drum_tracks.cpp)
  target_link_libraries(drum_tracks PRIVATE skyt_test_support skyt_drumming skyt_fake_portmidi skyt_gl_offscreen)
endif()
