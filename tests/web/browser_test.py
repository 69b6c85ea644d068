"""The control page in a real browser: headless Chromium, driven over its
DevTools pipe, against ecf-sim --http, with the library on the printer's line.

Loads the page; sells an item through the library and sees it on the paper
within a second, without reloading; switches "paper out" on the page and sees
the next sale refused with the printer's paper-out status; resets the printer
through the page's confirmation. Saves a screenshot in ECF_ARTIFACTS.

Needs ECF_SIM, ECF_LIBRARY and the binding on PYTHONPATH (the build's test
runner sets them). Exits 77 (skipped) where Chromium is not installed.
"""

import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request
from pathlib import Path

import ecf  # the build's staged binding (PYTHONPATH)

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "cli"))
from simulated_printer import SimulatedPrinter  # noqa: E402

SKIPPED = 77
PAPER_OUT = 30  # the printer's status byte (sim/README.md)


class Chromium:
    """A headless Chromium whose DevTools protocol runs over fds 3 and 4."""

    FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--remote-debugging-pipe", "--window-size=1500,1100"]

    def __init__(self, exe, profile, log):
        # The shell gives Chromium our pipes as its fds 3 (commands) and 4 (answers).
        self.process = subprocess.Popen(
            ["sh", "-c", 'exec "$@" 3<&0 4>&1 </dev/null >/dev/null', "sh", exe,
             *self.FLAGS, f"--user-data-dir={profile}", "about:blank"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log)
        self.next_id = 0
        self.buffer = b""
        self.session = None

    def call(self, method, timeout=20, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session and not method.startswith(("Target.", "Browser.")):
            message["sessionId"] = self.session
        self.process.stdin.write(json.dumps(message).encode() + b"\0")
        self.process.stdin.flush()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            while b"\0" not in self.buffer:
                chunk = os.read(self.process.stdout.fileno(), 65536)
                if not chunk:
                    raise RuntimeError(f"Chromium went away during {method}")
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b"\0", 1)
            answer = json.loads(raw)
            if answer.get("id") != self.next_id:
                continue  # an event
            if "error" in answer:
                raise RuntimeError(f"{method}: {answer['error']}")
            return answer["result"]
        raise RuntimeError(f"no answer to {method}")

    def open(self, url):
        page = next(t for t in self.call("Target.getTargets")["targetInfos"] if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=page["targetId"],
                                 flatten=True)["sessionId"]
        self.call("Page.navigate", url=url)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, seconds, what):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.evaluate(expression):
                return
            time.sleep(0.02)
        raise AssertionError(f"the page did not show {what} within {seconds} s")

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        Path(path).write_bytes(base64.b64decode(data))

    def close(self):
        try:
            self.call("Browser.close", timeout=5)
            self.process.wait(timeout=10)
        except Exception:  # gone already, or stuck: nothing more to ask of it
            self.process.kill()
            self.process.wait()


def page_text(element_id):
    return f"document.getElementById('{element_id}').textContent"


def main():
    exe = (os.environ.get("ECF_CHROMIUM") or shutil.which("chromium")
           or shutil.which("chromium-browser"))
    if not exe:
        print("SKIP: chromium is not installed (scripts/deps extra installs it)")
        return SKIPPED
    artifacts = Path(os.environ.get("ECF_ARTIFACTS", "."))
    artifacts.mkdir(parents=True, exist_ok=True)

    with tempfile.TemporaryDirectory() as work, open(artifacts / "chromium.log", "w") as log:
        simulator = SimulatedPrinter(work, "com1", "--http", "127.0.0.1:0")
        url = simulator.url
        browser = Chromium(exe, os.path.join(work, "profile"), log)
        try:
            os.environ["ECF_COM1"] = simulator.link
            printer = ecf.Library()
            printer.ChangePort(0)

            browser.open(url)
            browser.wait_for("document.body !== null && document.body.dataset.ready === 'yes'", 15,
                             "itself")

            assert printer.VendaItem("ARROZ TIPO 1 5KG", "2390", 1) == 0
            sold = time.monotonic()
            browser.wait_for(f"{page_text('roll')}.includes('ARROZ TIPO 1 5KG')", 1, "the item")
            shown = 1000 * (time.monotonic() - sold)
            print(f"the item was on the page {shown:.0f} ms after the sale")

            browser.evaluate("document.getElementById('paperOut').click()")
            browser.wait_for("document.getElementById('light-paper').className === 'bad'", 5,
                             "paper out")
            result = printer.VendaItem("FEIJAO CARIOCA 1KG", "899", 1)
            assert result == PAPER_OUT, f"a sale with the paper out returned {result}"
            browser.wait_for(f"{page_text('log')}.includes('{PAPER_OUT} paper out')", 1,
                             "the refusal in the log")
            browser.screenshot(artifacts / "control-page.png")

            browser.evaluate("document.getElementById('reset-printer').click()")
            browser.wait_for("document.getElementById('confirm').open", 5, "the confirmation")
            browser.evaluate("document.getElementById('confirm-yes').click()")
            browser.wait_for(f"{page_text('counters')}.includes('COO000000')", 5, "a fresh printer")
            with urllib.request.urlopen(url + "api/state") as answer:
                state = json.load(answer)
            assert state["model"]["counters"]["coo"] == 0 and state["document"]["kind"] == "none"
            assert state["conditions"]["paperOut"], "a reset leaves the paper as it is"
            print(f"passed; screenshot in {artifacts / 'control-page.png'}")
            return 0
        finally:
            browser.close()
            simulator.stop()


if __name__ == "__main__":
    sys.exit(main())
