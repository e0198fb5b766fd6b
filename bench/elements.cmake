# Loading the largest preset kit's elements, and the cost of one hit.
skyt_bench(bench_elements SOURCES ${CMAKE_CURRENT_LIST_DIR}/elements_bench.cpp)
target_compile_definitions(bench_elements PRIVATE
  SKYT_BENCH_SOURCE_DIR="${PROJECT_SOURCE_DIR}" SKYT_BENCH_BUILD_DIR="${PROJECT_BINARY_DIR}")
add_dependencies(bench_elements convert_element)
