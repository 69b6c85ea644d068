"""The Python binding and the ecf tool against the simulated printer.

Needs ECF_LIBRARY (libecf.so), ECF_SIM (ecf-sim) and ECF_TOOL (the ecf
program); the build's test runner sets them.
"""

import json
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
import ecf  # noqa: E402


class SimulatedPrinter:
    """ecf-sim on a pseudo-terminal, linked at a temporary path."""

    def __init__(self):
        self.dir = tempfile.TemporaryDirectory()
        self.link = os.path.join(self.dir.name, "com1")
        self.paper = os.path.join(self.dir.name, "paper.txt")
        self.process = subprocess.Popen(
            [os.environ["ECF_SIM"], "--link", self.link, "--paper", self.paper],
            stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT,
        )
        deadline = time.monotonic() + 10
        while not os.path.exists(self.link):
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise RuntimeError("ecf-sim did not start")
            time.sleep(0.02)

    def paper_text(self):
        with open(self.paper, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.process.stdout.close()
        self.dir.cleanup()


class BindingTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.printer = SimulatedPrinter()
        os.environ["ECF_COM1"] = cls.printer.link
        cls.lib = ecf.Library()
        cls.lib.ChangePort(0)

    @classmethod
    def tearDownClass(cls):
        cls.printer.stop()

    def test_every_export_of_the_list_is_a_method(self):
        names = {e.short_name for e in self.lib.exports}
        self.assertEqual(len(names), len(self.lib.exports))
        for name in names:
            self.assertTrue(callable(getattr(self.lib, name)), name)
        self.assertEqual(self.lib.result_text(1010, None), "porta em uso")  # a static text

    def test_a_receipt_with_texts_and_out_parameters(self):
        lib = self.lib
        self.assertEqual(lib.VendaItem("CAFÉ 500G", "1590", 1), 0)
        self.assertEqual(lib.SubTotal(), 0)
        self.assertEqual(lib.Pagamento(1, "", "2000", 0), 0)
        self.assertEqual(lib.FimTrans(""), 0)
        self.assertIn("CAFÉ 500G", self.printer.paper_text())  # code page 850 both ways

        result, change = lib.ParamStatusTroco()
        self.assertEqual(result, 0)
        self.assertEqual(list(change), ["change", "paid"])
        self.assertEqual(int(change["change"]), 410)

        result, status = lib.ParamStatusImp()
        self.assertEqual(result, 0)
        self.assertIsInstance(status["state"], int)
        self.assertEqual(len(lib.StatusCupom(0)), 67)

    def test_arguments_are_checked_before_the_call(self):
        with self.assertRaises(ValueError):
            self.lib.CargaTabAliq(300, "1700")
        with self.assertRaises(TypeError):
            self.lib.VendaItem("ONLY ONE")


class NetworkPortTest(unittest.TestCase):
    """The binding and the tool take a URL wherever they take a port."""

    def setUp(self):
        self.printers = {}
        for scheme, options in (("tcp", []), ("rfc2217", ["--rfc2217"])):
            process = subprocess.Popen(
                [os.environ["ECF_SIM"], "--listen", "127.0.0.1:0", *options, "--paper", os.devnull],
                stdout=subprocess.PIPE, text=True,
            )
            self.addCleanup(process.stdout.close)
            self.addCleanup(process.wait, 10)
            self.addCleanup(process.terminate)
            self.printers[scheme] = f"{scheme}://{process.stdout.readline().strip()}"

    def test_binding_and_tool_on_urls(self):
        lib = ecf.Library()
        previous = os.environ.get("ECF_COM1")
        try:
            for url in self.printers.values():
                with self.subTest(url=url):
                    os.environ["ECF_COM1"] = url
                    lib.ChangePort(0)
                    self.assertEqual(lib.VendaItem("CAFE 500G", "1590", 1), 0)
                    self.assertFalse(lib.StatusCupom(0).startswith("Erro"))
                    done = subprocess.run([os.environ["ECF_TOOL"], "--device", url, "SubTotal"],
                                          capture_output=True, text=True, timeout=60)
                    self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        finally:
            if previous is None:
                os.environ.pop("ECF_COM1", None)
            else:
                os.environ["ECF_COM1"] = previous

    def test_a_second_client_finds_the_port_in_use(self):
        host, port = self.printers["rfc2217"].split("//")[1].rsplit(":", 1)
        with socket.create_connection((host, int(port))):
            time.sleep(0.1)  # the printer takes the first client
            done = subprocess.run([os.environ["ECF_TOOL"], "--device", self.printers["rfc2217"], "SubTotal"],
                                  capture_output=True, text=True, timeout=60)
        self.assertIn("1010", done.stdout)


if __name__ == "__main__":
    unittest.main()
