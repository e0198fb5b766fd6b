skyt_test(test_imgui_widgets SOURCES ${CMAKE_CURRENT_LIST_DIR}/imgui_widgets_test.cpp)
skyt_test(test_imgui_edit_box SOURCES ${CMAKE_CURRENT_LIST_DIR}/imgui_edit_box_test.cpp)
