"""Types the generated methods name in their signatures."""

import ctypes
from typing import Optional, Union

# A text argument: str is sent in code page 850, bytes as they are; None is
# sent as an empty text.
Text = Optional[Union[str, bytes]]


class ExchangeInfo(ctypes.Structure):
    """What the last export called on this thread did on the line (ecf_ext.h).

    Every field is 32 bits wide or a byte array, the same for every compiler;
    `size` is set by the binding before the call.
    """

    _fields_ = [
        ("size", ctypes.c_uint32),
        ("result", ctypes.c_int32),
        ("command_code", ctypes.c_int32),
        ("exchanges", ctypes.c_uint32),
        ("bytes_sent", ctypes.c_uint32),
        ("bytes_expected", ctypes.c_uint32),
        ("bytes_received", ctypes.c_uint32),
        ("elapsed_us", ctypes.c_uint32),
        ("failed_step", ctypes.c_uint32),
        ("system_error", ctypes.c_int32),
        ("port", ctypes.c_char * 8),
        ("device", ctypes.c_char * 256),
    ]

    def __repr__(self):
        fields = ", ".join("%s=%r" % (name, getattr(self, name)) for name, _ in self._fields_[1:])
        return "ExchangeInfo(%s)" % fields
