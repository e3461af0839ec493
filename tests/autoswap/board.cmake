quillon_test(autoswap_board_tests
  autoswap/RunAutoSwapTest.cpp
  autoswap/AutoSwapPropertyTest.cpp
)
