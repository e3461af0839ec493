# Drives libquillon.so through the plug-in boundary only: the module is loaded at run time, not linked.
add_executable(e2e_plugin_tests
  e2e/PlugInBoundaryTest.cpp
)
target_include_directories(e2e_plugin_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(e2e_plugin_tests PRIVATE Quillon::host GTest::gtest_main)
add_dependencies(e2e_plugin_tests quillon)
gtest_discover_tests(e2e_plugin_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
