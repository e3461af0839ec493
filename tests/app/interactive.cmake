# Play scripts and the info probe, from lqhost_app alone (the plug-in is
# loaded at run time, as lqhost loads it).
lqhost_test(app_interactive_tests LINK lqhost_app SOURCES
  app/PlayScriptTest.cpp
  app/AppTestSupport.cpp app/AppTestSupport.h
)
