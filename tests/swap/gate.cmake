quillon_test(swap_gate_tests swap/GateItemTest.cpp)
