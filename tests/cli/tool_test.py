"""The ecf tool against the simulated printer: exit statuses, names, texts in
code page 850, the exchange report, the trace, doctor.

Needs ECF_TOOL (the ecf program) and ECF_SIM (ecf-sim); the build's test
runner sets them.
"""

import json
import os
import subprocess
import tempfile
import unittest

from simulated_printer import SimulatedPrinter

TOOL = os.environ.get("ECF_TOOL", "ecf")
RECORDED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "sale.trace")


def run(*args, device=None, **env):
    environment = dict(os.environ, **env)
    if device is not None:
        environment["ECF_COM1"] = device
    return subprocess.run([TOOL, *args], env=environment, capture_output=True, timeout=60)


class ToolTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.printer = SimulatedPrinter(cls.folder.name)
        cls.cut = SimulatedPrinter(cls.folder.name, "cut", "--fault", "cut")
        cls.silent = SimulatedPrinter(cls.folder.name, "silent", "--fault", "silent")
        # The silent printer costs the library's 25 s: asked now, judged last.
        cls.unanswered = subprocess.Popen([TOOL, "--json", "--device", cls.silent.link, "SubTotal"],
                                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    @classmethod
    def tearDownClass(cls):
        cls.unanswered.kill()
        cls.unanswered.communicate()
        for printer in (cls.printer, cls.cut, cls.silent):
            printer.stop()
        cls.folder.cleanup()

    def path(self, name):
        return os.path.join(self.folder.name, name)

    def test_exit_statuses_names_and_messages(self):
        link, cut = self.printer.link, self.cut.link
        cases = [
            # arguments, exit status, what stdout or stderr says
            (["--version"], 0, "libecf 1."),
            (["STATUSIMP"], 0, "result: 0 (ok)"),
            (["status-imp"], 0, "text: "),
            (["--port", "com3", "--device", link, "StatusImp"], 0, "result: 0 (ok)"),
            (["ChangePort", "2"], 0, "result: 2 (COM3 selected)"),
            (["FimTrans", "X"], 1, "(the printer's status byte)"),  # no receipt open
            (["--device", "/nonexistent/tty", "SubTotal"], 1,
             "1030: cannot open /nonexistent/tty: No such file or directory"),
            (["--device", cut, "ParamStatusCup"], 3, "reply cut short: 36 of 72 bytes"),
            (["frobnicate"], 2, "unknown command 'frobnicate'"),
            (["statusimpp"], 2, "did you mean StatusImp?"),
            ([], 2, "a command is required"),
            (["CargaTabAliq", "300", "1700"], 2, "index: expected an integer from 0 to 255"),
            (["VendaItem", "ARROZ"], 2, "required"),
            (["SubTotal", "extra"], 2, "extra"),
            (["--bogus", "SubTotal"], 2, "unknown option --bogus"),
            (["--device", "", "SubTotal"], 2, "--device"),
            (["--port", "COM9", "SubTotal"], 2, "--port"),
            (["VendaItem", "CAFÉ €", "100", "1"], 2, "'€' (U+20AC) has no code in code page 850"),
            (["VendaItem", b"CAF\xc9", "100", "1"], 2, "byte 0xC9 at position 4 is not UTF-8"),
            (["--trace", self.folder.name, "StatusImp"], 2, "--trace: cannot append to"),
        ]
        for args, status, says in cases:
            with self.subTest(args=args):
                done = run(*args, device=link)
                output = (done.stdout + done.stderr).decode("utf-8", "replace")
                self.assertEqual(done.returncode, status, output)
                self.assertIn(says, output)

    def test_json_carries_the_exchange_report(self):
        done = run("--json", "ParamStatusTroco", device=self.printer.link)
        outcome = json.loads(done.stdout)
        self.assertEqual(list(outcome["outputs"]), ["change", "paid"])
        exchange = outcome["exchange"]
        self.assertEqual((exchange["bytes_sent"], exchange["bytes_expected"], exchange["bytes_received"]),
                         (6, 47, 47))
        self.assertEqual((exchange["failed_step"], exchange["device"]), ("none", self.printer.link))

    def test_silent_printer_is_no_answer(self):
        stdout, stderr = self.unanswered.communicate(timeout=60)
        self.assertEqual(self.unanswered.returncode, 3)
        outcome = json.loads(stdout)
        self.assertEqual((outcome["result"], outcome["exchange"]["bytes_received"]), (0, 0))
        self.assertIn(b"no answer from the printer within 25 s", stderr)

    def test_texts_reach_the_printer_in_code_page_850_and_the_trace(self):
        trace = self.path("sale.trace")
        sale = [["VendaItem", "CAFÉ 500G", "1590", "1"], ["--raw", "VendaItem", b"P\x82O", "100", "1"],
                ["SubTotal"], ["Pagamento", "1", "", "2000", "0"], ["FimTrans", ""]]
        for args in sale:
            self.assertEqual(run("--trace", trace, *args, device=self.printer.link).returncode, 0, args)
        # ECF_TRACE, read by the library when it loads, writes the same lines.
        self.assertEqual(run("StatusCupom", "0", device=self.printer.link, ECF_TRACE=trace).returncode, 0)
        with open(trace) as f:
            lines = f.read().splitlines()
        self.assertEqual([line.split(" cmd=")[1].split()[0] for line in lines],
                         ["VendaItem", "VendaItem", "SubTotal", "Pagamento/PagCancPag", "FimTrans",
                          "StatusCupom"])
        self.assertIn(" sent=1B66D2000043414690", lines[0])  # C A F, then 0x90 for É
        self.assertIn(" sent=1B66D2000050824F", lines[1])  # --raw: P 0x82 O as they are
        paper = self.printer.paper_text()
        self.assertIn("CAFÉ 500G", paper)
        self.assertIn("PéO", paper)
        self.assertIn('description: "CAFÉ 500G"', run("decode", trace).stdout.decode())

    def test_decode_names_every_field_and_skips_what_it_cannot_read(self):
        done = run("decode", RECORDED)
        self.assertEqual(done.returncode, 1)
        told = done.stdout.decode()
        for says in ['VendaItem (D2)\n  description: "CAFÉ 500G"\n  price: "1590"\n  rate_index: 1\n'
                     '  answer: status byte 0\n  result: 0 (ok)\n  took: 0.462 ms',
                     'StatusTroco (E6)\n  answer: 47 of 47 bytes\n    change: "000000000000000001020"',
                     "answer: 36 of 72 bytes", "problem: no answer from the printer within 25 s",
                     "problem: 1030: cannot open /dev/ttyS9: No such file or directory",
                     'cgc[1]: "11.222.333/0001-81"']:
            self.assertIn(says, told)
        self.assertEqual(done.stderr.decode().count(" skipped: "), 3)  # cut short, bad hex, binary
        frame = subprocess.run([TOOL, "--json", "decode", "-"], input=b"1B 66 D1 00 AE\n", capture_output=True)
        self.assertEqual(json.loads(frame.stdout)["command"], "SubTotal")

    def test_doctor_finds_the_printer_or_names_what_is_missing(self):
        found = run("doctor", "--device", self.printer.link)
        self.assertEqual(found.returncode, 0, found.stdout)
        self.assertIn(b"[ok]   printer: answered the printer status in full: 7 of 7 bytes", found.stdout)
        missing = run("--port", "COM2", "doctor", ECF_COM2="/dev/ttyUSB97")
        self.assertEqual(missing.returncode, 1)
        self.assertIn(b"COM2 is /dev/ttyUSB97 (ECF_COM2 in the environment)", missing.stdout)
        self.assertIn(b"[FAIL] device: /dev/ttyUSB97 does not exist", missing.stdout)


if __name__ == "__main__":
    unittest.main()
