quillon_test(frame_events_tests frame/EventHooksTest.cpp)
