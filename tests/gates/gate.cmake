quillon_test(gates_tests
  gates/GateRecordTest.cpp
  gates/GateCompatibilityTest.cpp
  gates/GateDrawTest.cpp
)
