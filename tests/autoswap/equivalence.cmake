# 200 random boards through both engines: about 2.5 min under the sanitizers on a quiet machine.
quillon_test(autoswap_equivalence_tests autoswap/EngineEquivalenceTest.cpp TIMEOUT 900)
