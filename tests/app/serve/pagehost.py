"""Runs lqhost serve and a headless Chromium for the page host's tests, and makes sure that
neither outlives the test: both start in their own process groups, which are killed at the end
whatever happened."""
import ctypes
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import urllib.error
import urllib.request

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--disable-crash-reporter", "--disable-breakpad"]


def die_with_parent():
    """In the child before exec: SIGTERM when the test process dies, however it dies."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def kill_group(process, grace=3.0):
    """Ends a process started with start_new_session: TERM, then KILL for what is left of its group."""
    if process is None:
        return
    try:
        os.killpg(process.pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        pass
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait(timeout=10)


class Server:
    """lqhost serve on a free port; url is the address it printed."""

    def __init__(self, lqhost, args, cwd=None):
        self.log = tempfile.TemporaryFile(mode="w+")
        self.process = subprocess.Popen([lqhost, "serve", "--port", "0", *args], cwd=cwd, stdout=subprocess.PIPE,
                                        stderr=self.log, text=True, start_new_session=True,
                                        preexec_fn=die_with_parent)
        line = self.process.stdout.readline()
        match = re.search(r"http://127\.0\.0\.1:(\d+)/", line)
        if not match:
            self.stop()
            raise RuntimeError(f"lqhost serve printed {line!r}; stderr: {self.errors()}")
        self.url = match.group(0)
        self.port = int(match.group(1))

    def errors(self):
        self.log.seek(0)
        return self.log.read()

    def stop(self):
        """SIGTERM as a user's Ctrl-C would; the exit code tells whether it stopped cleanly."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                pass
        kill_group(self.process)
        self.process.stdout.close()
        return self.process.returncode

    def request(self, method, path, body=None, headers=None):
        """(status, parsed JSON or bytes) of a request made as the page makes it."""
        data = None
        all_headers = {"Content-Type": "application/json"} if method != "GET" else {}
        all_headers.update(headers or {})
        if body is not None:
            data = body if isinstance(body, bytes) else json.dumps(body).encode()
        req = urllib.request.Request(self.url.rstrip("/") + path, data=data, method=method, headers=all_headers)
        try:
            with urllib.request.urlopen(req, timeout=30) as response:
                status, payload = response.status, response.read()
        except urllib.error.HTTPError as e:
            status, payload = e.code, e.read()
        try:
            return status, json.loads(payload)
        except ValueError:
            return status, payload

    def state(self):
        status, state = self.request("GET", "/api/state")
        assert status == 200, state
        return state


class Browser:
    """Headless Chromium driven through chromedriver, with a fresh empty profile."""

    def __init__(self, width=1400, height=900):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.profile = tempfile.mkdtemp(prefix="lq-chromium-")
        self.downloads = tempfile.mkdtemp(prefix="lq-downloads-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in CHROMIUM_FLAGS:
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={self.profile}")
        options.add_argument(f"--window-size={width},{height}")
        options.add_experimental_option("prefs", {"download.default_directory": self.downloads,
                                                  "download.prompt_for_download": False})
        self.service = Service("/usr/bin/chromedriver", popen_kw={"start_new_session": True,
                                                                          "preexec_fn": die_with_parent})
        try:
            self.driver = webdriver.Chrome(service=self.service, options=options)
        except Exception:
            self.close()
            raise
        self.driver.set_script_timeout(30)

    def close(self):
        driver = getattr(self, "driver", None)
        if driver is not None:
            try:
                driver.quit()
            except Exception:
                pass
        kill_group(getattr(self.service, "process", None))
        # Chromium's helpers that left the group still carry the profile folder on their command line.
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    if self.profile.encode() in f.read():
                        os.kill(int(pid), signal.SIGKILL)
            except (OSError, ProcessLookupError):
                pass
        shutil.rmtree(self.profile, ignore_errors=True)
        shutil.rmtree(self.downloads, ignore_errors=True)

    def wait(self, condition, timeout=15, message="condition"):
        end = time.time() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.time() > end:
                raise AssertionError(f"timed out waiting for {message}")
            time.sleep(0.05)
