#!/usr/bin/python3
"""The page host as a person meets it, on the largest shared board (Eagle spu), in headless
Chromium: how long the page takes to show the board, and how long a click with each of the
plug-in's tools takes from the press to the page showing the answer (tool event, overlay painted,
state sent, page drawn). See bench/README.md.

    /usr/bin/python3 bench/page_latency.py --lqhost build/default/bin/lqhost [--clicks 40]

With --swap, on a board of any size: the press to the page drawn for a swap by hand (--pin, then
the --swap pin, with the swap pin tool), its undo and its redo, each --clicks times; the page is
zoomed to the pins first, so that they are large enough to click on a large board:

    examples/generate_medium.py --nands 1000 > /tmp/big.qbrd.json
    /usr/bin/python3 bench/page_latency.py --lqhost build/default/bin/lqhost --board /tmp/big.qbrd.json \
        --pin U1.1 --swap U1.2 --clicks 10
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


def swaps(browser, d, first, second, count):
    """count swaps by hand of the pins first and second, each followed by its undo and its redo;
    answers the timings of the swaps, the undos and the redos."""
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    pad = lambda label: d.find_element(By.CSS_SELECTOR, f'#g-static rect.pad[data-pin="{label}"]')
    d.execute_script("""
        const p = arguments[0].getBBox(), q = arguments[1].getBBox();
        const x = Math.min(p.x, q.x), y = Math.min(p.y, q.y);
        const w = Math.max(p.x + p.width, q.x + q.width) - x, h = Math.max(p.y + p.height, q.y + q.height) - y;
        setView({x: x - 4 * w - 5000, y: y - 4 * h - 5000, w: 9 * w + 10000, h: 9 * h + 10000});""",
                     pad(first), pad(second))
    d.find_element(By.CSS_SELECTOR, '#plugin-commands [data-command="SwapPinTool"]').click()
    settle(browser, d)
    found = {"swap": [], "undo": [], "redo": []}

    def timed(name, press):
        before = d.execute_script("return lqPage.timings.length")
        press()
        browser.wait(lambda: d.execute_script("return lqPage.timings.length") > before, timeout=60)
        settle(browser, d)
        if name:
            found[name].append(d.execute_script("return lqPage.timings[lqPage.timings.length - 1]"))

    for _ in range(count):
        time.sleep(0.55)  # apart by more than the double-click time
        timed(None, lambda: ActionChains(d).move_to_element(pad(first)).click().perform())
        time.sleep(0.55)
        timed("swap", lambda: ActionChains(d).move_to_element(pad(second)).click().perform())
        for name in ("undo", "redo"):
            timed(name, lambda: d.find_element(By.ID, name).click())
    if not d.execute_script("return lqPage.state.changes.length"):
        raise SystemExit(f"{first} and {second}: the swaps changed no pin; give two pins the plug-in swaps")
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lqhost", required=True)
    parser.add_argument("--board", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared",
                                                         "boards", "eagle", "spu.brd"))
    parser.add_argument("--clicks", type=int, default=40)
    parser.add_argument("--pin", default="IC17.12", help="a pin with candidates (lqhost info BOARD lists them)")
    parser.add_argument("--swap", help="a candidate of --pin: time swaps by hand, undos and redos instead")
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

        if args.swap:
            for name, values in swaps(browser, d, args.pin, args.swap, args.clicks).items():
                summary(f"{name}, {args.pin} and {args.swap}", values)
            return

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
