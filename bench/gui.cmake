skyt_bench(bench_gui SOURCES ${CMAKE_CURRENT_LIST_DIR}/gui_bench.cpp)
