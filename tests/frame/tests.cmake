quillon_test(frame_tests frame/FrameTest.cpp)
