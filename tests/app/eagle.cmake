# The Eagle board and schematic reader and writer: small hand-written files, and the shared real
# boards run through lqhost as a process.
add_executable(eagle_tests
  app/eagle/EagleFixture.cpp app/eagle/EagleFixture.h
  app/eagle/EagleImportTest.cpp
  app/eagle/EagleErrorsTest.cpp
  app/eagle/EagleWriteBackTest.cpp
  e2e/LqhostProcess.cpp e2e/LqhostProcess.h
  app/eagle/EagleSharedBoardsTest.cpp
)
target_include_directories(eagle_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(eagle_tests PRIVATE lqhost_app GTest::gtest GTest::gtest_main)
target_compile_definitions(eagle_tests PRIVATE LQHOST_PATH="$<TARGET_FILE:lqhost>"
                                               QUILLON_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples"
                                               QUILLON_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared")
add_dependencies(eagle_tests lqhost quillon)
gtest_discover_tests(eagle_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
