"""The Python binding and the ecf tool against the simulated printer.

Run with the package installed (tests/install/pip_package.sh installs it with
pip into a fresh venv). Needs ECF_LIBRARY (libecf.so), ECF_SIM (ecf-sim) and
ECF_TOOL (the ecf program); the build's test runner sets them.
"""

import ctypes
import errno
import os
import re
import socket
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path
from unittest import mock

import ecf

SOURCE = Path(__file__).resolve().parents[3]
sys.path[:0] = [str(SOURCE / "bindings" / "python" / "backend"), str(SOURCE / "tests" / "cli")]
import generate  # noqa: E402
from simulated_printer import SimulatedPrinter  # noqa: E402


class BindingTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.printer = SimulatedPrinter(cls.folder.name)
        os.environ["ECF_COM1"] = cls.printer.link
        cls.lib = ecf.Library()
        cls.lib.ChangePort(0)

    @classmethod
    def tearDownClass(cls):
        cls.printer.stop()
        cls.folder.cleanup()

    def test_every_export_of_the_list_is_a_typed_method(self):
        listed = re.findall(r"^([A-Za-z_]\w*)\s", (SOURCE / "exports" / "ecf.exports").read_text(), re.M)
        self.assertEqual([e.name for e in ecf.EXPORTS], listed)
        for export in ecf.EXPORTS:
            method = getattr(ecf.Library, export.short_name)
            for _, name, _ in export.inputs:
                self.assertIn(name, method.__annotations__, export.name)
                self.assertIn(name + ":", method.__doc__, export.name)
            self.assertIn("return", method.__annotations__, export.name)

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

    def test_the_extensions_report_the_last_exchange(self):
        lib = self.lib
        if not hasattr(lib._dll, "ecf_last_exchange"):
            self.skipTest("this libecf has no ecf_ exports")
        self.assertEqual(lib.version(), ecf.__version__)
        self.assertTrue(lib.result_text(1010, "en"))
        lib.StatusImp()
        result, outputs = lib.last_exchange()
        (info,) = outputs.values()
        self.assertEqual(result, 0)
        self.assertEqual((info.result, info.port, info.exchanges), (0, b"COM1", 1))

    def test_what_cannot_be_sent_faithfully_is_refused_and_nothing_sent(self):
        lib = self.lib
        cases = [
            (lambda: lib.VendaItem("ARROZ", "1\x0000", 1), ValueError, "price"),
            (lambda: lib.VendaItem(b"AR\0ROZ", "100", 1), ValueError, "description"),
            (lambda: lib.VendaItem("ARROZ", "100", 1.9), TypeError, "rate_index"),
            (lambda: lib.VendaItem("ARROZ", "100", "1"), TypeError, "rate_index"),
            (lambda: lib.VendaItem(["ARROZ"], "100", 1), TypeError, "description"),
            (lambda: lib.VendaItem(object(), "100", 1), TypeError, "description"),
            (lambda: lib.VendaItem("ARROZ \u20ac", "100", 1), ValueError, "description"),
            (lambda: lib.VendaItem78("ARROZ", "100", 256), ValueError, "rate_index"),
            (lambda: lib.VendaItem("ONLY ONE"), TypeError, "missing"),
        ]
        paper = self.printer.paper_text()
        for call, error, named in cases:
            with self.subTest(named=named, error=error):
                with self.assertRaisesRegex(error, named):
                    call()
        self.assertEqual(self.printer.paper_text(), paper)

    def test_strict_mode_raises_what_the_report_tells(self):
        def report(**fields):
            return ecf.ExchangeInfo(size=ctypes.sizeof(ecf.ExchangeInfo), exchanges=1, **fields)

        from ecf._errors import judged
        cases = [  # result, report, what strict mode raises
            (0, report(bytes_expected=1, bytes_received=1), None),
            (0, report(bytes_expected=72, bytes_received=72), None),
            (21, report(bytes_expected=1, bytes_received=1), ecf.PrinterRefused),
            (21, ecf.ExchangeInfo(), ecf.EcfError),  # a cheque refused before the line
            (1030, report(failed_step=1, system_error=errno.ENOENT), ecf.LinkError),
            (0, report(bytes_expected=1), ecf.NoAnswer),
            (0, report(bytes_expected=72, bytes_received=12), ecf.ReplyCutShort),
        ]
        for result, info, error in cases:
            with self.subTest(result=result, error=error):
                raised = judged("X", result, info, str)
                self.assertIs(type(raised) if raised else None, error)

        strict = ecf.Library(strict=True)
        status = self.lib.FimTrans("")  # no receipt open: the printer refuses
        self.assertNotEqual(status, 0)
        with self.assertRaises(ecf.PrinterRefused) as refused:
            strict.FimTrans("")
        self.assertEqual((refused.exception.status, refused.exception.report.bytes_received), (status, 1))
        cut = SimulatedPrinter(self.folder.name, "cut", "--fault", "cut")
        self.addCleanup(cut.stop)
        for device, error, check in [
            (cut.link, ecf.ReplyCutShort, lambda e: (e.received, e.expected) == (36, 72)),
            ("/nonexistent/tty", ecf.LinkError,
             lambda e: (e.code, e.system_error, e.step) == (1030, errno.ENOENT, "open")),
        ]:
            with mock.patch.dict(os.environ, ECF_COM1=device), self.assertRaises(error) as raised:
                strict.StatusCupom(0)
            self.assertTrue(check(raised.exception), raised.exception)
        with mock.patch.dict(os.environ, ECF_COM1=cut.link):
            self.assertIsInstance(self.lib.StatusCupom(0), str)  # not strict: the text, as always

    def test_exchange_info_mirrors_the_header(self):
        header = (SOURCE / "include" / "ecf_ext.h").read_text()
        body = re.search(r"typedef struct ecf_exchange_info \{(.*?)\}", header, re.S).group(1)
        declared = re.findall(r"^\s*(\w+) (\w+)(?:\[(\d+)\])?;", body, re.M)
        c_types = {"uint32_t": ctypes.c_uint32, "int32_t": ctypes.c_int32}
        mirrored = [(n, ctypes.c_char * int(size) if size else c_types[t]) for t, n, size in declared]
        self.assertEqual([(n, ctypes.sizeof(t)) for n, t in ecf.ExchangeInfo._fields_],
                         [(n, ctypes.sizeof(t)) for n, t in mirrored])

    def test_every_kind_of_the_list_is_bound_and_an_unknown_one_refused(self):
        module = generate.generate(
            "ecf_version ctext\n"
            "ecf_last_exchange i32 info:info\n"
            "ecfQuery i32 u8:index out5:a outbyte:b\n", "9.9")
        namespace = {}
        exec(compile(module.replace("from ._types", "from ecf._types"), "_exports", "exec"), namespace)
        hints = {name: getattr(namespace["Exports"], name).__annotations__["return"]
                 for name in ("version", "last_exchange", "Query")}
        self.assertEqual(hints["version"], str)
        self.assertIn("ExchangeInfo", str(hints["last_exchange"]))
        self.assertIn("Union[int, str]", str(hints["Query"]))
        for bad in ("ecfX i64", "ecfX i32 float:f", "ecfX i32 str:two words"):
            with self.subTest(bad=bad), self.assertRaises(generate.ListError):
                generate.generate(bad, "9.9")


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
        for url in self.printers.values():
            with self.subTest(url=url), mock.patch.dict(os.environ, ECF_COM1=url):
                lib.ChangePort(0)
                self.assertEqual(lib.VendaItem("CAFE 500G", "1590", 1), 0)
                self.assertFalse(lib.StatusCupom(0).startswith("Erro"))
                done = subprocess.run([os.environ["ECF_TOOL"], "--device", url, "SubTotal"],
                                      capture_output=True, text=True, timeout=60)
                self.assertEqual(done.returncode, 0, done.stdout + done.stderr)

    def test_a_second_client_finds_the_port_in_use(self):
        host, port = self.printers["rfc2217"].split("//")[1].rsplit(":", 1)
        with socket.create_connection((host, int(port))):
            time.sleep(0.1)  # the printer takes the first client
            done = subprocess.run([os.environ["ECF_TOOL"], "--device", self.printers["rfc2217"], "SubTotal"],
                                  capture_output=True, text=True, timeout=60)
        self.assertIn("1010", done.stdout)


if __name__ == "__main__":
    unittest.main()
