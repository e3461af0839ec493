quillon_test(host_tests host/HostBasicsTest.cpp host/NetsTest.cpp)
