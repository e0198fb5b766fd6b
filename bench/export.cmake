# Rendering a one-minute performance to a WAV file.
skyt_bench(bench_export SOURCES ${CMAKE_CURRENT_LIST_DIR}/export_bench.cpp)
