# lqhost serve: its defences by plain HTTP, and the page in headless Chromium driven with the
# mouse through chromedriver. Both run Debian's /usr/bin/python3, which has selenium.
set(QUILLON_SERVE_TESTS ${CMAKE_CURRENT_SOURCE_DIR}/app/serve)
add_test(NAME serve_safety
         COMMAND /usr/bin/python3 ${QUILLON_SERVE_TESTS}/test_safety.py --lqhost $<TARGET_FILE:lqhost>
                 --examples ${PROJECT_SOURCE_DIR}/examples)
add_test(NAME serve_page
         COMMAND /usr/bin/python3 ${QUILLON_SERVE_TESTS}/test_page.py --lqhost $<TARGET_FILE:lqhost>
                 --examples ${PROJECT_SOURCE_DIR}/examples --shared ${PROJECT_SOURCE_DIR}/../shared
                 --out ${CMAKE_CURRENT_BINARY_DIR}/serve)
set_tests_properties(serve_safety serve_page PROPERTIES TIMEOUT 300)
# The page host's session in process, without a browser: undo, redo and refusals.
lqhost_test(serve_session_tests LINK lqhost_app SOURCES app/serve/PageSessionTest.cpp)
