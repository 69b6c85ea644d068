"""The exceptions of ecf.Library(strict=True), each with the exchange report.

The library returns 0 when the printer stays silent and when its reply is
cut short, and the same small numbers for its own codes and the printer's
status bytes; the exchange report (ecf_last_exchange) tells them apart, and
strict mode turns each case into its exception.
"""

import os
from typing import Callable, Optional

from ._types import ExchangeInfo

__all__ = ["EcfError", "PrinterRefused", "LinkError", "NoAnswer", "ReplyCutShort"]

# ecf_step, by the names the wire trace gives them.
STEPS = ("none", "open", "lock", "line-settings", "clearing", "timeouts", "cts", "sending", "reading")


class EcfError(Exception):
    """A call that did not go through: `result` is what the export returned
    (a text form: its exchange's result), `report` the exchange report."""

    def __init__(self, message: str, result: int, report: ExchangeInfo):
        super().__init__(message)
        self.result = result
        self.report = report


class PrinterRefused(EcfError):
    """The printer answered with a status byte other than 0: `status`."""

    @property
    def status(self) -> int:
        return self.result


class LinkError(EcfError):
    """The exchange stopped on the way: `code` is the link's result (1010,
    1030, 2000+e, ...), `system_error` the system's (errno, GetLastError()),
    `step` where it stopped ("open", "lock", ...)."""

    @property
    def code(self) -> int:
        return self.result

    @property
    def system_error(self) -> int:
        return self.report.system_error

    @property
    def step(self) -> str:
        step = self.report.failed_step
        return STEPS[step] if step < len(STEPS) else str(step)


class NoAnswer(EcfError):
    """The printer sent nothing back, though the export returned 0."""


class ReplyCutShort(EcfError):
    """The printer's reply ended early, though the export returned 0."""

    @property
    def received(self) -> int:
        return self.report.bytes_received

    @property
    def expected(self) -> int:
        return self.report.bytes_expected


def judged(name: str, result: int, report: ExchangeInfo,
           result_text: Callable[[int], str]) -> Optional[EcfError]:
    """The exception a call of export `name` deserves, or None when the
    printer took it and answered in full. `result_text` gives the library's
    words for a code."""
    device = (report.device or report.port).decode("utf-8", "replace")
    if report.exchanges and report.failed_step != 0:
        reason = os.strerror(report.system_error) if report.system_error else "no system error"
        step = STEPS[report.failed_step] if report.failed_step < len(STEPS) else report.failed_step
        return LinkError("%s: %d: %s (%s, at %s: %s)" % (name, result, result_text(result), device,
                                                        step, reason), result, report)
    if result != 0:
        # The exchange ran to its end and brought the byte the export returned.
        if report.exchanges and report.bytes_expected == 1 and report.bytes_received == 1:
            return PrinterRefused("%s: the printer refused it: status byte %d" % (name, result),
                                  result, report)
        return EcfError("%s: %d: %s" % (name, result, result_text(result)), result, report)
    if report.exchanges and report.bytes_received == 0:
        return NoAnswer("%s: no answer from the printer on %s" % (name, device), result, report)
    if report.exchanges and report.bytes_received < report.bytes_expected:
        return ReplyCutShort("%s: reply cut short: %d of %d bytes" % (
            name, report.bytes_received, report.bytes_expected), result, report)
    return None
