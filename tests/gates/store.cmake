quillon_test(gate_store_tests gates/GateStoreTest.cpp)
