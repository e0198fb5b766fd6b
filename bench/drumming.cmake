skyt_bench(bench_drumming SOURCES ${CMAKE_CURRENT_LIST_DIR}/drumming_bench.cpp)
