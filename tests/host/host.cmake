quillon_test(host_tests
  host/NetBookkeepingTest.cpp
  host/StringsTest.cpp
  host/RuntimeClassTest.cpp
  host/EventsTest.cpp
  host/CopperConnectionTest.cpp
)
