#!/usr/bin/python3
"""The page host as a person meets it, on the largest shared board (Eagle spu), in headless
Chromium: how long the page takes to show the board, and how long a click with each of the
plug-in's tools takes from the press to the page showing the answer (tool event, overlay painted,
state sent, page drawn). See bench/README.md.

    /usr/bin/python3 bench/page_latency.py --lqhost build/default/bin/lqhost [--clicks 40]
"""
import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "app", "serve"))
from pagehost import Browser, Server  # noqa: E402


def settle(browser, d):
    browser.wait(lambda: d.execute_script("return lqPage.pending === 0 && lqPage.state !== null"), timeout=60)


def summary(name, values):
    values = sorted(values)
    p90 = values[min(len(values) - 1, int(round(0.9 * (len(values) - 1))))]
    print(f"{name:<28} n={len(values):<3} median {statistics.median(values):7.1f} ms   p90 {p90:7.1f} ms   "
          f"max {values[-1]:7.1f} ms")


def clicks(browser, d, find, count):
    """count clicks on what find() returns (found again each time: the overlay is redrawn)."""
    from selenium.webdriver.common.action_chains import ActionChains
    d.execute_script("lqPage.timings = []")
    for _ in range(count):
        # Apart by more than the double-click time, so that each press is a click of its own.
        time.sleep(0.55)
        before = d.execute_script("return lqPage.timings.length")
        ActionChains(d).move_to_element(find()).click().perform()
        browser.wait(lambda: d.execute_script("return lqPage.timings.length") > before, timeout=60)
        settle(browser, d)
        # A pin the plug-in refuses answers with a message box; OK closes it.
        d.execute_script("if (!document.getElementById('dialog-back').hidden) document.getElementById('dialog-ok').click()")
    return d.execute_script("return lqPage.timings")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lqhost", required=True)
    parser.add_argument("--board", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared",
                                                         "boards", "eagle", "spu.brd"))
    parser.add_argument("--clicks", type=int, default=40)
    parser.add_argument("--pin", default="IC17.12", help="a pin with candidates (lqhost info BOARD lists them)")
    args = parser.parse_args()
    server = Server(os.path.abspath(args.lqhost), [os.path.realpath(args.board)])
    browser = None
    try:
        browser = Browser(1400, 900)
        d = browser.driver
        opened = []
        for _ in range(3):
            d.get("about:blank")
            start = time.perf_counter()
            d.get(server.url)
            browser.wait(lambda: d.execute_script("return performance.getEntriesByName('board-shown').length > 0"),
                         timeout=60)
            opened.append(d.execute_script("return performance.getEntriesByName('board-shown')[0].startTime"))
            print(flush=True, end="")
            print(f"page shows the board {opened[-1]:.0f} ms after navigation starts "
                  f"({(time.perf_counter() - start) * 1000:.0f} ms after the driver asked for it)")
            settle(browser, d)
        pads = d.execute_script("return document.querySelectorAll('#g-static rect.pad').length")
        print(f"board: {os.path.basename(args.board)}, {pads} pads, "
              f"{len(server.state()['airwires'])} airwires")

        from selenium.webdriver.common.by import By
        d.find_element(By.CSS_SELECTOR, '#plugin-commands [data-command="SwapPinTool"]').click()
        settle(browser, d)
        # A pin the plug-in picks with candidates (on spu the only pin group is IC17's; lqhost info
        # lists them), picked and dropped again and again.
        label = args.pin
        pin = d.find_element(By.CSS_SELECTOR, f'#g-static rect.pad[data-pin="{label}"]')
        summary(f"swap pin tool, {label}", clicks(browser, d, lambda: pin, args.clicks))

        d.find_element(By.CSS_SELECTOR, '#plugin-commands [data-command="SwapGateTool"]').click()
        settle(browser, d)
        summary("swap gate tool, a gate",
                clicks(browser, d, lambda: d.find_elements(By.CSS_SELECTOR, "#g-overlay circle")[0], args.clicks))
    finally:
        if browser is not None:
            browser.close()
        server.stop()


if __name__ == "__main__":
    main()
