# lqhost run as a process on the example boards, checking its outputs, messages and exit codes.
find_package(nlohmann_json REQUIRED)
add_executable(lqhost_e2e
  e2e/LqhostProcess.cpp e2e/LqhostProcess.h
  e2e/LqhostAutoswapTest.cpp
  e2e/LqhostErrorsTest.cpp
)
target_include_directories(lqhost_e2e PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(lqhost_e2e PRIVATE GTest::gtest GTest::gtest_main nlohmann_json::nlohmann_json)
target_compile_definitions(lqhost_e2e PRIVATE LQHOST_PATH="$<TARGET_FILE:lqhost>"
                                              QUILLON_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(lqhost_e2e lqhost quillon)
gtest_discover_tests(lqhost_e2e DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
