skyt_bench(bench_font SOURCES ${CMAKE_CURRENT_LIST_DIR}/font_bench.cpp)
