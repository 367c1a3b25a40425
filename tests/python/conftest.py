"""What the Python tests share: quorlexrun and the e2e cases to compare the module with."""

import os
import pathlib
import re
import subprocess

QUORLEX_RUN = os.environ.get("QUORLEX_RUN", "quorlexrun")
E2E_DIR = pathlib.Path(os.environ.get("QUORLEX_E2E_DIR", pathlib.Path(__file__).parents[1] / "e2e"))

_DATE = re.compile(rb"(\| Create date  : )\d{1,2}-[A-Z][a-z]{2}-\d{4}")


def without_date(text: bytes) -> bytes:
    """The text with the date of the header box's "Create date" line taken out."""
    return _DATE.sub(rb"\1", text)


def run_quorlexrun(arguments, cwd) -> subprocess.CompletedProcess:
    return subprocess.run([QUORLEX_RUN, *map(str, arguments)], cwd=cwd, capture_output=True,
                          check=False)
