quillon_test(gates_tests
  gates/GateTest.cpp
  gates/GateCompatibilityTest.cpp
)
