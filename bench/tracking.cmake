skyt_bench(bench_tracking SOURCES ${CMAKE_CURRENT_LIST_DIR}/tracking_bench.cpp LINK skyt_fake_libusb)
