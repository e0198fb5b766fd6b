skyt_bench(images_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/images_bench.cpp)
