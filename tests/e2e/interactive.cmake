# lqhost play, render and info run as a process on the example boards and scripts.
find_package(nlohmann_json REQUIRED)
lqhost_test(lqhost_interactive_e2e LINK nlohmann_json::nlohmann_json SOURCES
  e2e/LqhostPlayTest.cpp
)
