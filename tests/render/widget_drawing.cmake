skyt_test(test_widget_drawing SOURCES ${CMAKE_CURRENT_LIST_DIR}/widget_drawing_test.cpp)
skyt_test(test_widget_gallery SOURCES ${CMAKE_CURRENT_LIST_DIR}/widget_gallery_test.cpp)
