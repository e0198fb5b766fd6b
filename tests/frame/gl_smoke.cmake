skyt_test(test_gl_fixture SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_gl_fixture.cpp)
