skyt_test(library_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/library_test.cpp)
