skyt_test(test_ini_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_ini_file.cpp)
skyt_test(test_paths SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_paths.cpp)
skyt_test(test_utf8 SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_utf8.cpp)
skyt_test(test_events SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_events.cpp LABELS threads)
