"""The package's build backend (PEP 517): standard library only, so that
`pip install ./bindings/python` needs nothing from the network.

It generates ecf/_exports.py from the library's export list into the wheel.
The list and the version come from the source tree (../../exports/ecf.exports,
the project's version in ../../CMakeLists.txt) or, in an sdist, from the copy
it carries (ecf.exports, PKG-INFO).
"""

import base64
import hashlib
import io
import os
import re
import tarfile
import time
import zipfile
from pathlib import Path

from generate import generate, write_if_changed

NAME = "ecf"
SUMMARY = "Python binding of libecf, the driver library for the ECF fiscal receipt printer"
PACKAGE_FILES = ("__init__.py", "_errors.py", "_types.py", "py.typed")
SDIST_FILES = ("pyproject.toml", "backend/ecf_build.py", "backend/generate.py")

_here = Path.cwd()
_project = _here.parent.parent


def _export_list():
    for path in (_here / "ecf.exports", _project / "exports" / "ecf.exports"):
        if path.is_file():
            return path
    raise FileNotFoundError("the export list is neither in %s nor in %s/exports" % (_here, _project))


def _version():
    pkg_info = _here / "PKG-INFO"
    source = pkg_info if pkg_info.is_file() else _project / "CMakeLists.txt"
    pattern = r"^Version: (\S+)" if source == pkg_info else r"project\(\s*ecf\s+VERSION\s+([0-9.]+)"
    found = re.search(pattern, source.read_text(encoding="utf-8"), re.MULTILINE)
    if not found:
        raise ValueError("no version in %s" % source)
    return found.group(1)


def _exports_module():
    path = _export_list()
    return generate(path.read_text(encoding="utf-8"), _version(), str(path))


def _metadata():
    return (
        "Metadata-Version: 2.1\nName: %s\nVersion: %s\nSummary: %s\nLicense: MIT\n"
        "Requires-Python: >=3.8\nClassifier: License :: OSI Approved :: MIT License\n"
        "Classifier: Programming Language :: Python :: 3\n" % (NAME, _version(), SUMMARY)
    )


def _epoch():
    # Reproducible archives: SOURCE_DATE_EPOCH when given, else 1980 (the
    # earliest time a zip file can hold).
    return max(int(os.environ.get("SOURCE_DATE_EPOCH", "0")), 315532800)


def _timestamp():
    return time.gmtime(_epoch())[:6]


class _Wheel:
    """A wheel written file by file, its RECORD kept as it goes."""

    def __init__(self, directory):
        self.name = "%s-%s-py3-none-any.whl" % (NAME, _version())
        self.dist_info = "%s-%s.dist-info" % (NAME, _version())
        self.zip = zipfile.ZipFile(os.path.join(directory, self.name), "w", zipfile.ZIP_DEFLATED)
        self.records = []

    def add(self, name, data):
        if isinstance(data, str):
            data = data.encode("utf-8")
        info = zipfile.ZipInfo(name, _timestamp())
        info.external_attr = 0o644 << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        self.zip.writestr(info, data)
        digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
        self.records.append("%s,sha256=%s,%d" % (name, digest, len(data)))

    def close(self):
        self.add(self.dist_info + "/METADATA", _metadata())
        self.add(self.dist_info + "/WHEEL",
                 "Wheel-Version: 1.0\nGenerator: ecf_build\nRoot-Is-Purelib: true\nTag: py3-none-any\n")
        self.add(self.dist_info + "/top_level.txt", NAME + "\n")
        record = self.dist_info + "/RECORD"
        self.records.append(record + ",,")
        self.zip.writestr(zipfile.ZipInfo(record, _timestamp()), "\n".join(self.records) + "\n")
        self.zip.close()
        return self.name


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def get_requires_for_build_editable(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    wheel = _Wheel(wheel_directory)
    for name in PACKAGE_FILES:
        wheel.add("%s/%s" % (NAME, name), (_here / NAME / name).read_bytes())
    wheel.add("%s/_exports.py" % NAME, _exports_module())
    return wheel.close()


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    # The package is imported from the source folder: the generated module is
    # written there (it is not tracked by git).
    write_if_changed(_here / NAME / "_exports.py", _exports_module())
    wheel = _Wheel(wheel_directory)
    wheel.add("%s_editable.pth" % NAME, str(_here) + "\n")
    return wheel.close()


def build_sdist(sdist_directory, config_settings=None):
    base = "%s-%s" % (NAME, _version())
    name = base + ".tar.gz"
    files = {"%s/%s" % (NAME, f): (_here / NAME / f).read_bytes() for f in PACKAGE_FILES}
    files.update({f: (_here / f).read_bytes() for f in SDIST_FILES})
    files["ecf.exports"] = _export_list().read_bytes()
    files["PKG-INFO"] = _metadata().encode("utf-8")
    with tarfile.open(os.path.join(sdist_directory, name), "w:gz", format=tarfile.PAX_FORMAT) as tar:
        for path, data in sorted(files.items()):
            info = tarfile.TarInfo("%s/%s" % (base, path))
            info.size, info.mtime, info.mode = len(data), _epoch(), 0o644
            tar.addfile(info, io.BytesIO(data))
    return name
