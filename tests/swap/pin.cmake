quillon_test(swap_pin_tests
  swap/PinRulesTest.cpp
  swap/PinExecutionTest.cpp
)
