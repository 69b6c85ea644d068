"""ecf-sim in a process of its own, on a pseudo-terminal linked at FOLDER/NAME
and printing to NAME.paper beside it. Shared by the tool's, the control page's
and the Python binding's tests; needs ECF_SIM (the build's test runner sets it).
"""

import os
import subprocess
import time


class SimulatedPrinter:
    def __init__(self, folder, name="com1", *options):
        self.link = os.path.join(folder, name)
        self.paper = self.link + ".paper"
        http = "--http" in options  # ready once it names its control page
        self.process = subprocess.Popen(
            [os.environ["ECF_SIM"], "--link", self.link, "--paper", self.paper, *options],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE if http else subprocess.DEVNULL, text=True)
        if http:
            self.url = next((line.split("control page at ", 1)[1].strip()
                             for line in self.process.stderr if "control page at " in line), None)
        deadline = time.monotonic() + 10
        while not os.path.exists(self.link) or (http and not self.url):
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.stop()
                raise RuntimeError("ecf-sim did not start")
            time.sleep(0.02)

    def paper_text(self):
        with open(self.paper, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        if self.process.stderr:
            self.process.stderr.close()
