"""lqhost serve in a real browser: headless Chromium, driven with the mouse as a person would,
on the sample board. Each test starts its own server; the browser is shared by the tests of a
class. Run: /usr/bin/python3 test_page.py --lqhost PATH --examples DIR --out DIR."""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pagehost import Browser, Server  # noqa: E402

ARGS = None
SWAP_PIN_TOOL, SWAP_GATE_TOOL = 0x703E8, 0x703E9


def lqhost(*args, cwd=None):
    return subprocess.run([ARGS.lqhost, *args], cwd=cwd, capture_output=True, text=True, timeout=120)


BROWSER = None


def setUpModule():
    global BROWSER
    BROWSER = Browser()


def tearDownModule():
    BROWSER.close()


class BrowserTest(unittest.TestCase):
    """The one browser of the module, for every test."""

    @classmethod
    def setUpClass(cls):
        from selenium.webdriver.common.by import By
        cls.By = By
        cls.browser = BROWSER
        cls.d = BROWSER.driver

    # ---- reading a page ----

    def js(self, script, *args):
        return self.d.execute_script(script, *args)

    def revision(self):
        return int(self.js("return Number(document.body.dataset.revision || 0)"))

    def settle(self, after=None):
        """Waits until the page has shown a revision past after and asks nothing more."""
        def quiet():
            return self.js("return window.lqPage && lqPage.pending === 0 && lqPage.state !== null")

        def done():
            if not quiet() or (after is not None and self.revision() <= after):
                return False
            time.sleep(0.05)
            return quiet()
        self.browser.wait(done, message="the page to show the host's answer")

    def button(self, selector):
        return self.d.find_element(self.By.CSS_SELECTOR, selector)


class ReportPageTest(BrowserTest):
    def test_html_report_pictures_move_together_and_rows_light_pins(self):
        from selenium.webdriver.common.action_chains import ActionChains
        folder = tempfile.mkdtemp(prefix="lq-report-test-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        run = lqhost("autoswap", os.path.join(ARGS.examples, "sample.qbrd.json"), "--html", os.path.join(folder, "r.html"))
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(folder, "r.html")) as f:
            html = f.read()
        # Self-contained: nothing is fetched.
        self.assertNotRegex(html, r'(src|href)="')
        self.d.get("file://" + os.path.join(folder, "r.html"))
        svgs = self.d.find_elements(self.By.CSS_SELECTOR, ".pictures svg")
        self.assertEqual(len(svgs), 2)
        rows = self.d.find_elements(self.By.CSS_SELECTOR, ".changes tr[data-x]")
        self.assertGreater(len(rows), 0)
        ActionChains(self.d).move_to_element(rows[0]).perform()
        lit = self.js("return [...document.querySelectorAll('.pictures svg')].map((s) => s.querySelectorAll('.lit').length)")
        self.assertEqual(lit, [1, 1])
        boxes = lambda: self.js("return [...document.querySelectorAll('.pictures svg')].map((s) => s.getAttribute('viewBox'))")
        home = boxes()[1]
        from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
        ActionChains(self.d).scroll_from_origin(ScrollOrigin.from_element(svgs[0]), 0, -300).perform()
        self.assertEqual(boxes()[0], boxes()[1])
        self.assertNotEqual(boxes()[1], home)


class EmptyPageTest(BrowserTest):
    def test_without_a_board_only_open_is_offered(self):
        folder = tempfile.mkdtemp(prefix="lq-serve-test-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        server = Server(ARGS.lqhost, [], cwd=folder)
        self.addCleanup(server.stop)
        self.d.get(server.url)
        self.settle()
        hint = self.button("#empty")
        self.assertTrue(hint.is_displayed())
        # Laid out as one paragraph: the words before the bold button name on one line with it.
        tops = self.js("""
            const b = document.querySelector('#empty b'), words = document.createRange();
            words.selectNodeContents(b.previousSibling);
            return [...words.getClientRects()].map((r) => r.top).concat([b.getBoundingClientRect().top]);""")
        self.assertEqual(len(tops), 2, tops)
        self.assertAlmostEqual(tops[0], tops[1], delta=2)
        for kind in (".qbrd.json", ".brd", ".sch", ".kicad_pcb", ".kicad_sch"):
            self.assertIn(kind, hint.text)
        # No button that needs a board can be pressed.
        enabled = self.js("""return [...document.querySelectorAll('button')]
            .filter((b) => !b.disabled && b.offsetParent !== null).map((b) => b.id || b.textContent);""")
        self.assertEqual(enabled, [])
        # The download menu neither opens with the mouse nor with the keyboard.
        from selenium.common.exceptions import ElementClickInterceptedException
        from selenium.webdriver.common.keys import Keys
        with self.assertRaises(ElementClickInterceptedException):
            self.button("#downloads summary").click()
        self.button("#downloads summary").send_keys(Keys.ENTER)
        time.sleep(0.2)
        self.assertIsNone(self.button("#downloads").get_attribute("open"))


class PageTest(BrowserTest):
    """A fresh copy of the sample board and a server for each test."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="lq-serve-test-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        shutil.copy(os.path.join(ARGS.examples, "sample.qbrd.json"), self.folder)
        self.server = Server(ARGS.lqhost, ["sample.qbrd.json"], cwd=self.folder)
        self.addCleanup(self.stop_server)
        self.d.get(self.server.url)
        self.settle()

    def stop_server(self):
        code = self.server.stop()
        self.assertEqual(code, 0, "lqhost serve did not stop cleanly: " + self.server.errors())

    # ---- reading and driving the page ----

    def act(self, action):
        """Does something in the page and waits for the page to show the result."""
        before = self.revision()
        action()
        self.settle(after=before)

    def click(self, element):
        from selenium.webdriver.common.action_chains import ActionChains
        ActionChains(self.d).move_to_element(element).click().perform()

    def pad(self, label):
        return self.button(f'#g-static rect.pad[data-pin="{label}"]')

    def gate_marker(self, ref, gate):
        """The filled disc of the gate marker the plug-in painted for this gate of this part."""
        index = self.js("""
            const [ref, gate] = arguments;
            const part = lqPage.geometry.parts.find((p) => p.ref === ref);
            const o = part.outline, inside = (x, y) => x >= Math.min(o[0], o[2]) && x <= Math.max(o[0], o[2]) &&
                y >= Math.min(o[1], o[3]) && y <= Math.max(o[1], o[3]);
            const texts = [...document.querySelectorAll('#g-overlay text')];
            const circles = [...document.querySelectorAll('#g-overlay circle')];
            for (const t of texts) {
              const x = Number(t.getAttribute('x')) * 1000, y = -Number(t.getAttribute('y')) * 1000;
              if (t.textContent !== gate || !inside(x, y)) continue;
              const i = circles.findIndex((c) => c.getAttribute('cx') === t.getAttribute('x') &&
                                                  c.getAttribute('cy') === t.getAttribute('y'));
              if (i >= 0) return i;
            }
            return -1;""", ref, gate)
        self.assertGreaterEqual(index, 0, f"no gate marker {gate} of {ref} on the page")
        return self.d.find_elements(self.By.CSS_SELECTOR, "#g-overlay circle")[index]

    def overlay_pins(self):
        return self.js("return [...document.querySelectorAll('#g-overlay [data-pin]')].map((e) => e.dataset.pin)")

    def net_of(self, state, label):
        ref, pin = label.split(".")
        parts = self.js("return lqPage.geometry.parts.map((p) => [p.ref, p.pins.map((x) => x.name)])")
        for i, (r, pins) in enumerate(parts):
            if r == ref:
                net = state["pinNets"][i][pins.index(pin)]
                return None if net is None else state["nets"][net]
        raise KeyError(label)

    def message_box(self):
        """The text of the message box on the page, closed with its OK button."""
        self.browser.wait(lambda: self.js("return !document.getElementById('dialog-back').hidden"), message="a message box")
        text = self.button("#dialog-text").text
        self.button("#dialog-ok").click()
        return text

    def use(self, command):
        self.act(lambda: self.click(self.button(f'#plugin-commands [data-command="{command}"]')))

    # ---- the tests ----

    def test_pin_swap_by_hand(self):
        self.use("SwapPinTool")
        state = self.server.state()
        self.assertEqual(state["tool"], SWAP_PIN_TOOL)
        self.assertEqual(self.button('[data-command="SwapPinTool"]').get_attribute("aria-pressed"), "true")
        self.assertIn("/api/cursor/133", self.js("return document.getElementById('board').style.cursor"))

        # A pin without pin-group information: the plug-in says so in its message box.
        self.act(lambda: self.click(self.pad("J1.1")))
        self.assertEqual(self.message_box(), "选择管脚不能对换因为它不包含管脚组信息.")

        # The first pick: exactly the plug-in's candidates are painted, as the server's state says.
        self.act(lambda: self.click(self.pad("U1.4")))
        self.assertEqual(self.overlay_pins(), ["U1.4", "U1.5"])
        self.assertEqual(self.server.state()["overlayPins"], ["U1.4", "U1.5"])

        self.act(lambda: self.click(self.pad("U2.4")))
        self.assertEqual(self.message_box(), "选择管脚不能被对换.")

        # The right button puts the pick back; a new pick follows.
        from selenium.webdriver.common.action_chains import ActionChains
        self.act(lambda: ActionChains(self.d).context_click(self.pad("U1.4")).perform())
        self.assertEqual((self.server.state()["pickMode"], self.overlay_pins()), (False, []))
        self.act(lambda: self.click(self.pad("U1.4")))

        self.act(lambda: self.click(self.pad("U1.5")))
        state = self.server.state()
        self.assertEqual((self.net_of(state, "U1.4"), self.net_of(state, "U1.5")), ("R4", "R3"))
        self.assertEqual(self.overlay_pins(), [])
        change = state["changes"][-1]
        self.assertEqual(change["label"], "SwapPinTool")
        self.assertEqual([r["kind"] for r in change["records"]], [13])
        self.assertEqual(change["records"][0]["texts"], ["U1", "4", "U1", "5"])
        rows = self.js("return [...document.querySelectorAll('#changes tr.pin')].map((r) => r.innerText.split('\\t').join(' '))")
        self.assertEqual(sorted(rows), ["U1.4 R3 → R4", "U1.5 R4 → R3"])
        self.assertIn("pin swap", self.button("#changes .record").text)

    def test_gate_swap_by_hand(self):
        self.use("SwapGateTool")
        self.act(lambda: self.click(self.gate_marker("U1", "B")))
        # The gate tool's right button keeps the pick, so the hint does not offer it.
        self.assertEqual(self.button("#status-hint").text,
                         "Click a highlighted candidate to swap, or the pick again to start over. Shift+drag pans.")
        # The NAND gates of both packages but gate A, whose output is routed; the plug-in's order.
        expected = self.server.state()["overlayPins"]
        self.assertEqual(sorted(expected), sorted(("U1.4 U1.5 U1.6 U1.8 U1.9 U1.10 U1.11 U1.12 U1.13 U2.1 U2.2 U2.3 "
                                                   "U2.4 U2.5 U2.6 U2.8 U2.9 U2.10 U2.11 U2.12 U2.13").split()))
        self.assertEqual(self.overlay_pins(), expected)

        # Gate A has a routed pin: refused with the plug-in's message, the pick stays.
        self.act(lambda: self.click(self.gate_marker("U1", "A")))
        self.assertEqual(self.message_box(), "门不能对换")
        self.assertEqual(self.overlay_pins(), expected)

        self.act(lambda: self.click(self.gate_marker("U1", "C")))
        state = self.server.state()
        self.assertEqual((self.net_of(state, "U1.8"), self.net_of(state, "U1.6")), ("R5", "N_CD"))
        self.assertEqual(state["changes"][-1]["records"][0]["kind"], 12)
        self.assertEqual(state["changes"][-1]["records"][0]["texts"], ["U1", "B", "U1", "C"])
        self.assertFalse(state["pickMode"])
        # The README's picture: the swap in the changes list, and the next pick with its candidates.
        self.act(lambda: self.click(self.gate_marker("U2", "B")))
        self.assertTrue(self.server.state()["pickMode"])
        self.save_screenshot("serve-gate-tool.png")

    def test_double_click_optimises_a_gate(self):
        from selenium.webdriver.common.action_chains import ActionChains
        self.use("SwapGateTool")
        ActionChains(self.d).double_click(self.gate_marker("U2", "C")).perform()
        self.browser.wait(lambda: self.js("return document.querySelectorAll('#changes li').length") == 1, message="the change")
        self.settle()
        change = self.server.state()["changes"][-1]
        self.assertEqual(change["label"], "SwapGateTool (double click)")
        self.assertEqual(sorted((p["pin"], p["newNet"]) for p in change["pins"]), [("10", "C_LEFT"), ("9", "C_RIGHT")])

    def test_drag_with_swap_while_moving(self):
        from selenium.webdriver.common.action_chains import ActionChains
        self.act(lambda: self.click(self.button('#moveswap [data-mode="1"]')))
        self.assertEqual(self.server.state()["moveSwap"], 1)
        before = self.js("return lqPage.geometry.parts.find((p) => p.ref === 'U2').outline")
        u2 = self.d.find_element(self.By.XPATH, "//*[@id='g-static']//*[local-name()='text' and text()='U2']")
        revision = self.revision()
        chain = ActionChains(self.d).move_to_element(u2).click_and_hold()
        for _ in range(5):
            chain.move_by_offset(8, 0)
        chain.release().perform()
        self.settle(after=revision)
        state = self.server.state()
        self.assertEqual(state["selectedParts"], [1])
        after = self.js("return lqPage.geometry.parts.find((p) => p.ref === 'U2').outline")
        self.assertGreater(after[0], before[0])
        self.assertEqual(after[1], before[1])
        change = state["changes"][-1]
        self.assertTrue(change["label"].startswith("move U2 by"), change["label"])
        # Pins only while moving: U2's gate C exchanged its inputs, with no back-annotation record.
        self.assertEqual(sorted((p["pin"], p["oldNet"], p["newNet"]) for p in change["pins"]),
                         [("10", "C_RIGHT", "C_LEFT"), ("9", "C_LEFT", "C_RIGHT")])
        self.assertEqual(change["records"], [])

        # Undo puts the part back where it was and the nets as they were.
        self.act(lambda: self.button("#undo").click())
        self.assertEqual(self.js("return lqPage.geometry.parts.find((p) => p.ref === 'U2').outline"), before)
        self.assertEqual(self.server.state()["changedPins"], [])

    def test_automatic_swap_undo_and_save(self):
        self.assertFalse(self.button("#notes-section").is_displayed())
        self.use("AutoQuillon")
        state = self.server.state()
        self.assertFalse(self.button("#notice").is_displayed())
        self.assertLess(state["figures"]["now"]["length"], state["figures"]["before"]["length"])
        cells = self.js("return [...document.querySelectorAll('#figures tr[data-figure=length] td')].map((c) => c.textContent)")
        self.assertNotEqual(cells[0], cells[1])
        # The change as lqhost's reports print it.
        before, now = state["figures"]["before"]["length"], state["figures"]["now"]["length"]
        self.assertEqual(cells[2], f"{(now - before) * 100 / before:+.1f} %")
        # The board shows exactly the state's airwires, those of the changed nets dashed.
        drawn = self.js("""
            const out = {plain: [], changed: []};
            for (const p of document.querySelectorAll('#g-airwires path')) {
              const key = p.classList.contains('new') ? 'changed' : 'plain';
              if (key === 'changed' && getComputedStyle(p).strokeDasharray === 'none') return 'not dashed';
              for (const m of p.getAttribute('d').matchAll(/M(\\S+) (\\S+)L(\\S+) (\\S+?)(?=M|$)/g))
                out[key].push(m.slice(1).map((v) => Math.round(Number(v) * 1000)));
            }
            return out;""")
        wanted = {"plain": [], "changed": []}
        for a in state["airwires"]:
            wanted["changed" if a[4] else "plain"].append([a[0], -a[1], a[2], -a[3]])
        self.assertTrue(wanted["plain"] and wanted["changed"])
        self.assertEqual({k: sorted(v) for k, v in drawn.items()}, {k: sorted(v) for k, v in wanted.items()})
        # The figures, with their heading, stay in sight however far the list of changes scrolls.
        self.js("document.getElementById('side').scrollTop = 1e6")
        self.assertTrue(self.js("""
            const side = document.getElementById('side').getBoundingClientRect();
            const figures = document.querySelector('#figures thead').getBoundingClientRect();
            return document.getElementById('side').scrollTop > 0 && figures.top >= side.top && figures.bottom <= side.bottom;"""))
        # Run again from there, it changes nothing, and says so where the figures do not cover it.
        self.use("AutoQuillon")
        self.assertEqual(self.button("#notice").text, "AutoQuillon: no pin changed its net")
        figures, notice, side = self.js("""
            const box = (e) => { const r = e.getBoundingClientRect(); return [r.top, r.bottom]; };
            return [box(document.querySelector('#side > section')), box(document.getElementById('notice')),
                    box(document.getElementById('side'))];""")
        self.assertTrue(notice[0] >= figures[1] and notice[1] <= side[1], (figures, notice, side))
        # The downloads menu closes when the pointer goes elsewhere, not to cover the tools below it.
        self.button("#downloads summary").click()
        self.browser.wait(lambda: self.js("return document.querySelectorAll('#dl-files a').length > 0"),
                          message="the downloads menu")
        self.click(self.button("#board"))
        self.assertIsNone(self.button("#downloads").get_attribute("open"))

        # Save through the page; the file is what lqhost autoswap -o writes.
        self.button("#save").click()
        field = self.button("#dialog-input")
        self.assertEqual(field.get_attribute("value"), "sample.swapped.qbrd.json")
        self.button("#dialog-ok").click()
        self.assertIn("Saved sample.swapped.qbrd.json", self.message_box())
        expected = lqhost("autoswap", "sample.qbrd.json", "-o", "expected.qbrd.json", "--eco", "expected.csv",
                          cwd=self.folder)
        self.assertEqual(expected.returncode, 0, expected.stderr)
        # The page's lengths are the ones the report prints, to the last digit.
        printed = re.search(r"airwire length\s+(\S+) mm\s+(\S+) mm", expected.stdout)
        self.assertIsNotNone(printed, expected.stdout)
        self.assertEqual(cells[:2], list(printed.groups()))
        with open(os.path.join(self.folder, "sample.swapped.qbrd.json"), "rb") as saved, \
                open(os.path.join(self.folder, "expected.qbrd.json"), "rb") as wanted:
            self.assertEqual(saved.read(), wanted.read())
        status, eco = self.server.request("GET", "/api/download/eco")
        with open(os.path.join(self.folder, "expected.csv"), "rb") as wanted:
            self.assertEqual((status, eco), (200, wanted.read()))

        # Saving again under that name asks first.
        self.button("#save").click()
        self.button("#dialog-ok").click()
        self.browser.wait(lambda: "already exists" in self.button("#dialog-text").text, message="the question to replace")
        self.button("#dialog-cancel").click()

        # Undo back to the start: the nets are those of the file.
        while self.button("#undo").is_enabled():
            self.act(lambda: self.button("#undo").click())
        self.assertEqual(self.server.request("GET", "/api/download/files"), (200, ["sample.qbrd.json"]))
        status, board = self.server.request("GET", "/api/download/file/0")
        with open(os.path.join(self.folder, "sample.qbrd.json")) as f:
            self.assertEqual((status, board["nets"]), (200, json.load(f)["nets"]))
        self.assertEqual(self.server.state()["changedPins"], [])
        self.act(lambda: self.button("#redo").click())
        self.assertEqual(self.server.state()["figures"]["now"], state["figures"]["now"])

    def test_refine_button_is_lqhosts_refinement_and_undo_takes_it_back(self):
        before = self.server.state()["figures"]["now"]
        self.use("SwapGateTool")
        self.act(lambda: self.click(self.gate_marker("U1", "B")))
        self.act(lambda: self.button("#refine").click())
        state = self.server.state()
        # The gate tool starts again on the refined board: its pick is gone, its markers are back.
        self.assertFalse(state["pickMode"])
        self.gate_marker("U2", "C")
        self.assertTrue(state["changes"][-1]["label"].startswith("Refine: "), state["changes"][-1]["label"])
        # The same board as lqhost autoswap --refine-only writes.
        run = lqhost("autoswap", "sample.qbrd.json", "--refine-only", "-o", "expected.qbrd.json", cwd=self.folder)
        self.assertEqual(run.returncode, 0, run.stderr)
        status, board = self.server.request("GET", "/api/download/file/0")
        with open(os.path.join(self.folder, "expected.qbrd.json")) as f:
            self.assertEqual((status, board["nets"]), (200, json.load(f)["nets"]))
        self.assertLess(state["figures"]["now"]["length"], before["length"])
        self.act(lambda: self.button("#undo").click())
        self.assertEqual(self.server.state()["figures"]["now"], before)

    def test_open_boards_from_the_page(self):
        bad = os.path.join(self.folder, "broken.qbrd.json")
        with open(os.path.join(self.folder, "sample.qbrd.json")) as f:
            board = json.load(f)
        board["nets"][0]["pins"].append(["U9", "1"])
        with open(bad, "w") as f:
            json.dump(board, f)
        # The same one line as lqhost gives on the command line.
        line = lqhost("info", "broken.qbrd.json", cwd=self.folder).stderr.strip()
        self.assertTrue(line.startswith("lqhost: broken.qbrd.json"), line)
        self.d.find_element(self.By.ID, "open").send_keys(bad)
        self.browser.wait(lambda: self.button("#error").is_displayed(), message="the error")
        self.settle()
        self.assertEqual(self.button("#error-text").text, line[len("lqhost: "):])
        self.assertEqual(self.server.state()["board"]["name"], "sample.qbrd.json")

        # The real boards beside the clone, where they are; required where CI says so.
        if not os.path.isdir(os.path.join(ARGS.shared, "boards")):
            missing = ARGS.shared + "/boards is not here: the shared boards are read from beside the clone"
            if os.environ.get("QUILLON_REQUIRE_SHARED", "0") not in ("", "0"):
                self.fail(missing)
            self.skipTest(missing)

        # A schematic chosen with a board is read with it, whatever its name: another board's is
        # refused as such (it used to be passed over, and the board opened without one).
        eagle = os.path.realpath(os.path.join(ARGS.shared, "boards", "eagle"))
        self.d.find_element(self.By.ID, "open").send_keys(
            "\n".join(os.path.join(eagle, name) for name in ("m1-alu.brd", "spu.sch")))
        self.browser.wait(lambda: "the board and schematic do not belong together" in self.button("#error-text").text,
                          message="the error")
        self.button("#error-close").click()
        self.assertEqual(self.server.state()["board"]["name"], "sample.qbrd.json")

        # An Eagle pair: the board and its schematic chosen together. With changes on the page,
        # opening it asks first, and Cancel keeps them.
        files = "\n".join(os.path.join(eagle, name) for name in ("m1-alu.brd", "m1-alu.sch"))
        self.use("AutoQuillon")
        for answer in ("#dialog-cancel", "#dialog-ok"):
            revision = self.revision()
            self.d.find_element(self.By.ID, "open").send_keys(files)
            self.browser.wait(lambda: self.js("return !document.getElementById('dialog-back').hidden"), message="the question")
            self.assertIn("The changes to sample.qbrd.json", self.button("#dialog-text").text)
            self.button(answer).click()
            if answer == "#dialog-cancel":
                self.assertEqual(self.server.state()["board"]["name"], "sample.qbrd.json")
        self.settle(after=revision)
        self.assertEqual(self.server.state()["board"]["name"], "m1-alu.brd")
        self.assertFalse(self.button("#error").is_displayed())
        self.assertGreater(self.js("return document.querySelectorAll('#g-static rect.pad').length"), 10)
        # It is routed: the page says so, naming the file as chosen and the page's way to read it
        # unrouted, and when the automatic swap then changes nothing, says that too.
        notes = [e.text for e in self.d.find_elements(self.By.CSS_SELECTOR, "#notes li")]
        self.assertTrue(any(re.fullmatch(r"m1-alu\.brd: \d+ of the \d+ swappable pins are routed and keep their nets; "
                                         r'opened with "unrouted" ticked, the board is read as if nothing were routed', n)
                            for n in notes), notes)
        self.assertFalse(self.button("#notice").is_displayed())
        self.use("AutoQuillon")
        self.assertEqual(self.button("#notice").text, "AutoQuillon: no pin changed its net")
        self.assertEqual(self.server.state()["changes"], [])
        # Opened so, its pins move as with lqhost autoswap --unrouted.
        self.button("#open-unrouted").click()
        revision = self.revision()
        self.d.find_element(self.By.ID, "open").send_keys(files)
        self.settle(after=revision)
        self.assertEqual(self.d.find_elements(self.By.CSS_SELECTOR, "#notes li"), [])
        self.use("AutoQuillon")
        moved = lqhost("autoswap", os.path.join(eagle, "m1-alu.brd"), "--unrouted", "--report", "-", cwd=self.folder)
        self.assertEqual(len(self.server.state()["changedPins"]), json.loads(moved.stdout)["boards"][0]["pinsMoved"])
        self.button("#open-unrouted").click()
        self.act(lambda: self.button("#undo").click())  # nothing left to lose: the next open asks nothing

        # A KiCad project: the board and its schematic; saved back, it is the pair again.
        kicad = os.path.realpath(os.path.join(ARGS.shared, "boards", "kicad", "clock"))
        revision = self.revision()
        self.d.find_element(self.By.ID, "open").send_keys(
            "\n".join(os.path.join(kicad, name) for name in ("clock.kicad_pcb", "clock.kicad_sch")))
        self.settle(after=revision)
        self.assertEqual(self.server.state()["board"]["format"], "kicad")
        # Fitted to the view, above the legend that would cover its lower edge.
        self.assertEqual(self.js("""
            const r = (id) => document.getElementById(id).getBoundingClientRect();
            const board = r('g-static'), view = r('view'), legend = r('legend');
            return [board.left >= view.left, board.right <= view.right, board.top >= view.top, board.bottom <= legend.top];"""),
            [True] * 4)
        self.assertEqual(self.server.request("GET", "/api/download/files"), (200, ["clock.kicad_pcb", "clock.kicad_sch"]))

    def test_two_tabs_show_one_state(self):
        first = self.d.current_window_handle
        self.d.switch_to.new_window("tab")
        self.addCleanup(lambda: (self.d.close(), self.d.switch_to.window(first)))
        self.d.get(self.server.url)
        self.settle()
        second = self.d.current_window_handle
        self.d.switch_to.window(first)
        self.use("SwapPinTool")
        self.act(lambda: self.click(self.pad("U1.4")))
        revision = self.revision()
        self.d.switch_to.window(second)
        self.browser.wait(lambda: self.revision() == revision, message="the second tab to follow")
        self.settle()
        self.assertEqual(self.button('[data-command="SwapPinTool"]').get_attribute("aria-pressed"), "true")
        self.assertEqual(self.overlay_pins(), ["U1.4", "U1.5"])

    def save_screenshot(self, name):
        """Into --out; the README's picture is this one, copied by hand from there."""
        os.makedirs(ARGS.out, exist_ok=True)
        self.d.save_screenshot(os.path.join(ARGS.out, name))


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--lqhost", required=True)
    parser.add_argument("--examples", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("--out", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
