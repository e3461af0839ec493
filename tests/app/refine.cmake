# Refinement: its tree measures, and its promises on the shared real boards and the examples, with
# the plug-in loaded at run time as lqhost loads it.
lqhost_test(refine_tests LINK lqhost_app TIMEOUT 900 SOURCES
  app/refine/SpanningTreeTest.cpp
  app/refine/RefineBoardsTest.cpp
)
