quillon_test(tools_gate_tests tools/SwapGateToolTest.cpp)
