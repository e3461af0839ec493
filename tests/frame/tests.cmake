quillon_test(frame_tests
  frame/EntryPointsTest.cpp
  frame/CommandSetTest.cpp
  frame/ResourcesTest.cpp
)
