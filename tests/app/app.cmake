# The application's pieces, linked from lqhost_app alone (the plug-in is reached only through
# libquillon.so, loaded at run time like lqhost does).
add_executable(app_tests
  app/CliOutputTest.cpp
  app/PlugInSessionTest.cpp
  app/BoardJsonTest.cpp
  app/ReportTest.cpp
  app/AppTestSupport.cpp app/AppTestSupport.h
  e2e/LqhostProcess.cpp e2e/LqhostProcess.h
)
target_include_directories(app_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(app_tests PRIVATE lqhost_app GTest::gtest GTest::gtest_main)
target_compile_definitions(app_tests PRIVATE LQHOST_PATH="$<TARGET_FILE:lqhost>"
                                             QUILLON_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples"
                                             QUILLON_DOCS_DIR="${PROJECT_SOURCE_DIR}/docs")
add_dependencies(app_tests lqhost quillon)
gtest_discover_tests(app_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
