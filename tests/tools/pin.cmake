quillon_test(tools_pin_tests tools/SwapPinToolTest.cpp)
