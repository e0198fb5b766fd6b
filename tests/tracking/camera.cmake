skyt_test(test_ps3eye SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_ps3eye.cpp LINK skyt_fake_libusb)
skyt_test(test_ps3eye_stress SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_ps3eye_stress.cpp
  LABELS threads LINK skyt_fake_libusb)
skyt_test(test_ps3eye_no_camera SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_ps3eye_no_camera.cpp)
