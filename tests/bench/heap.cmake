quillon_test(bench_heap_tests bench/HeapCounterTest.cpp ${PROJECT_SOURCE_DIR}/bench/HeapCounter.cpp)
