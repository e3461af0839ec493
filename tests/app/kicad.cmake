# The KiCad reader and writer: a small written project, hostile input, and the shared real
# projects run through lqhost as a process and through KiCad 6's own pcbnew.
lqhost_test(kicad_tests LINK lqhost_app TIMEOUT 900 SOURCES
  app/kicad/KicadFixture.cpp app/kicad/KicadFixture.h
  app/eagle/EagleFixture.cpp app/eagle/EagleFixture.h
  app/kicad/KicadCommandLineTest.cpp
  app/kicad/KicadErrorsTest.cpp
  app/kicad/KicadImportTest.cpp
  app/kicad/KicadValuesTest.cpp
  app/kicad/KicadWriteBackTest.cpp
  app/kicad/SexprTest.cpp
  app/kicad/KicadSharedProjectsTest.cpp
)
target_compile_definitions(kicad_tests PRIVATE QUILLON_TESTS_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
