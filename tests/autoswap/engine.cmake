quillon_test(autoswap_tests
  autoswap/AutoSwapFTest.cpp
  autoswap/AutoSwapDTest.cpp
  autoswap/FakeItem.cpp autoswap/FakeItem.h
)
