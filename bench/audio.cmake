# The mixer per buffer, resampling and decoding.
skyt_bench(bench_audio SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_bench.cpp)
