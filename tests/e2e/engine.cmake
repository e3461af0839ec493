# lqhost with the plug-in's engine against lqhost with the reference engine, on every board.
lqhost_test(lqhost_engine_e2e LINK nlohmann_json::nlohmann_json TIMEOUT 900 SOURCES e2e/LqhostEngineTest.cpp)
add_dependencies(lqhost_engine_e2e quillon_reference_module)
