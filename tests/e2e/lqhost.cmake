# lqhost run as a process on the example boards, checking its outputs, messages and exit codes.
find_package(nlohmann_json REQUIRED)
lqhost_test(lqhost_e2e LINK nlohmann_json::nlohmann_json SOURCES
  e2e/LqhostAutoswapTest.cpp
  e2e/LqhostErrorsTest.cpp
  e2e/LqhostStreamsTest.cpp
)
