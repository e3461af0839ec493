# The Eagle board and schematic reader and writer: small hand-written files, and the shared real
# boards run through lqhost as a process.
lqhost_test(eagle_tests LINK lqhost_app TIMEOUT 600 SOURCES
  app/eagle/EagleFixture.cpp app/eagle/EagleFixture.h
  app/eagle/EagleImportTest.cpp
  app/eagle/EagleErrorsTest.cpp
  app/eagle/EagleWriteBackTest.cpp
  app/eagle/EagleSharedBoardsTest.cpp
)
