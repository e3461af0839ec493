# Play scripts and the info probe, from lqhost_app alone (the plug-in is
# loaded at run time, as lqhost loads it).
add_executable(app_interactive_tests
  app/PlayScriptTest.cpp
  app/AppTestSupport.cpp app/AppTestSupport.h
  e2e/LqhostProcess.cpp e2e/LqhostProcess.h
)
target_include_directories(app_interactive_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(app_interactive_tests PRIVATE lqhost_app GTest::gtest GTest::gtest_main)
target_compile_definitions(app_interactive_tests PRIVATE LQHOST_PATH="$<TARGET_FILE:lqhost>"
                                                         QUILLON_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(app_interactive_tests lqhost quillon)
gtest_discover_tests(app_interactive_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
