# lqhost play, render and info run as a process on the example boards and scripts.
find_package(nlohmann_json REQUIRED)
add_executable(lqhost_interactive_e2e
  e2e/LqhostProcess.cpp e2e/LqhostProcess.h
  e2e/LqhostPlayTest.cpp
)
target_include_directories(lqhost_interactive_e2e PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(lqhost_interactive_e2e PRIVATE GTest::gtest GTest::gtest_main nlohmann_json::nlohmann_json)
target_compile_definitions(lqhost_interactive_e2e PRIVATE LQHOST_PATH="$<TARGET_FILE:lqhost>"
                                                          QUILLON_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(lqhost_interactive_e2e lqhost quillon)
gtest_discover_tests(lqhost_interactive_e2e DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
