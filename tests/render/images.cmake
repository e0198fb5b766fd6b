skyt_test(images_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/images_test.cpp)
