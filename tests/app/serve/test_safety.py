"""lqhost serve's defences, without a browser: requests made as another site's page, a rebound
host name or a careless client would make them. Run: /usr/bin/python3 test_safety.py --lqhost PATH
--examples DIR."""
import argparse
import http.client
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest
import uuid

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pagehost import Server  # noqa: E402

ARGS = None


def multipart(files):
    """A multipart/form-data body of (name, content) pairs under the field "files"."""
    boundary = uuid.uuid4().hex
    body = b""
    for name, content in files:
        body += (f"--{boundary}\r\nContent-Disposition: form-data; name=\"files\"; filename=\"{name}\"\r\n"
                 "Content-Type: application/octet-stream\r\n\r\n").encode() + content + b"\r\n"
    return body + f"--{boundary}--\r\n".encode(), f"multipart/form-data; boundary={boundary}"


class SafetyTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="lq-serve-safety-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.uploads = os.path.join(self.folder, "tmp")
        os.mkdir(self.uploads)
        shutil.copy(os.path.join(ARGS.examples, "sample.qbrd.json"), self.folder)
        os.environ["TMPDIR"] = self.uploads
        self.server = Server(ARGS.lqhost, ["sample.qbrd.json"], cwd=self.folder)
        self.addCleanup(lambda: self.assertEqual(self.server.stop(), 0, self.server.errors()))

    def raw(self, method, path, headers, body=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.server.port, timeout=30)
        try:
            connection.putrequest(method, path, skip_host=True)
            for name, value in headers.items():
                connection.putheader(name, value)
            if body is not None:
                connection.putheader("Content-Length", str(len(body)))
            connection.endheaders(body)
            response = connection.getresponse()
            return response.status, response.read()
        finally:
            connection.close()

    def own(self):
        return f"127.0.0.1:{self.server.port}"

    def test_requests_from_elsewhere_are_refused(self):
        tool = json.dumps({"tool": 0x703E8}).encode()
        cases = [
            # (what, method, path, headers, body, status)
            ("rebound host name", "GET", "/api/state", {"Host": f"evil.example:{self.server.port}"}, None, 403),
            ("another port", "GET", "/", {"Host": "127.0.0.1:1"}, None, 403),
            ("no host", "GET", "/", {}, None, 403),
            ("localhost is this host", "GET", "/api/state", {"Host": f"localhost:{self.server.port}"}, None, 200),
            ("another site's page", "POST", "/api/tool",
             {"Host": self.own(), "Origin": "http://evil.example", "Content-Type": "application/json"}, tool, 403),
            ("another site's page, by fetch metadata", "POST", "/api/tool",
             {"Host": self.own(), "Sec-Fetch-Site": "cross-site", "Content-Type": "application/json"}, tool, 403),
            ("a plain form", "POST", "/api/tool", {"Host": self.own(), "Content-Type": "text/plain"}, tool, 403),
            ("a change of this page", "POST", "/api/tool",
             {"Host": self.own(), "Origin": f"http://{self.own()}", "Content-Type": "application/json"}, tool, 200),
        ]
        for what, method, path, headers, body, status in cases:
            with self.subTest(what):
                self.assertEqual(self.raw(method, path, headers, body)[0], status)
        # Only the page's own change went through.
        self.assertEqual(self.server.state()["tool"], 0x703E8)

    def test_listens_on_loopback_only_and_alone(self):
        with self.assertRaises(OSError):
            socket.create_connection(("127.0.0.2", self.server.port), timeout=5).close()
        # A second page host on the same port would take half of the page's requests.
        second = subprocess.run([ARGS.lqhost, "serve", "--port", str(self.server.port)], capture_output=True, text=True,
                                timeout=30)
        self.assertEqual((second.returncode, second.stdout), (1, ""))
        self.assertIn(f"cannot listen on 127.0.0.1:{self.server.port}", second.stderr)

    def test_uploads_name_no_path_and_keep_to_the_limit(self):
        sample = open(os.path.join(self.folder, "sample.qbrd.json"), "rb").read()
        for name in ("../escaped.qbrd.json", "sub/x.qbrd.json", ".hidden.qbrd.json"):
            with self.subTest(name):
                body, kind = multipart([(name, sample)])
                status, answer = self.server.request("POST", "/api/open", body, {"Content-Type": kind})
                self.assertEqual(status, 422)
                self.assertIn("upload", json.loads(answer)["error"] if isinstance(answer, bytes) else answer["error"])
        body, kind = multipart([("huge.qbrd.json", b" " * ((32 << 20) + 1))])
        status, answer = self.server.request("POST", "/api/open", body, {"Content-Type": kind})
        self.assertEqual(status, 413)
        self.assertIn("32 MiB", answer["error"])
        body, kind = multipart([("huger.qbrd.json", b" " * (40 << 20))])
        self.assertEqual(self.server.request("POST", "/api/open", body, {"Content-Type": kind})[0], 413)
        # Nothing was written anywhere, and the board that was open still is.
        self.assertEqual(os.listdir(self.uploads), [])
        self.assertFalse(os.path.exists(os.path.join(self.folder, "escaped.qbrd.json")))
        self.assertEqual(self.server.state()["board"]["name"], "sample.qbrd.json")

    def test_saves_name_no_path_and_spare_the_input(self):
        cases = [("../out.qbrd.json", "not a plain file name"), (".out.qbrd.json", "may not start with a dot"), ("a/b.qbrd.json", "not a plain file name"),
                 ("sample.qbrd.json", "which the open board was read from"), ("out.txt", "not a kind of board file lqhost writes")]
        for name, why in cases:
            with self.subTest(name):
                status, answer = self.server.request("POST", "/api/save", {"name": name})
                self.assertEqual(status, 422)
                self.assertIn(why, answer["error"])
        self.assertEqual(sorted(os.listdir(self.folder)), ["sample.qbrd.json", "tmp"])
        status, answer = self.server.request("POST", "/api/save", {"name": "out.qbrd.json"})
        self.assertEqual((status, answer["written"]), (200, ["out.qbrd.json"]))
        status, answer = self.server.request("POST", "/api/save", {"name": "out.qbrd.json"})
        self.assertEqual(status, 409)

    def test_bad_requests_get_one_line(self):
        cases = [("/api/mouse", {"events": [{"kind": "down", "x": 2**40, "y": 0}]}, "32-bit"),
                 ("/api/mouse", {"events": [{"kind": "wheel", "x": 0, "y": 0}]}, "unknown mouse event"),
                 ("/api/moveswap", {"mode": 7}, "mode 7"),
                 ("/api/move", {"phase": "end", "dx": 2**31, "dy": 0}, "nothing is selected"),
                 ("/api/command", {"name": "Nothing"}, "no command"),
                 ("/api/tool", {"tool": 999}, "no tool")]
        for path, body, why in cases:
            with self.subTest(path):
                status, answer = self.server.request("POST", path, body)
                self.assertEqual(status, 422)
                self.assertIn(why, answer["error"])
                self.assertNotIn("\n", answer["error"])
        status, answer = self.server.request("POST", "/api/undo", b"{not json")
        self.assertEqual(status, 422)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--lqhost", required=True)
    parser.add_argument("--examples", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
