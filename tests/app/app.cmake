# The application's pieces, linked from lqhost_app alone (the plug-in is reached only through
# libquillon.so, loaded at run time like lqhost does).
lqhost_test(app_tests LINK lqhost_app SOURCES
  app/CliOutputTest.cpp
  app/PlugInSessionTest.cpp
  app/BoardJsonTest.cpp
  app/ReportTest.cpp
  app/AppTestSupport.cpp app/AppTestSupport.h
)
