quillon_test(swap_pin_tests
  swap/ClassifyTest.cpp
  swap/PinEligibilityTest.cpp
  swap/PinExecutionTest.cpp
)
