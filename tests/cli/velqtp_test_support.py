"""Running velqtp, make_sample_ts and the local download sites from the process tests. ctest gives the
programs and the source tree in the environment (tests/cli/CMakeLists.txt); the defaults are build/native's."""

import http.client
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time
import unittest

REPO = pathlib.Path(os.environ.get("VELQ_REPO", pathlib.Path(__file__).resolve().parents[2]))
VELQTP = os.environ.get("VELQTP", str(REPO / "build/native/cli/velqtp"))
MAKE_SAMPLE_TS = os.environ.get("MAKE_SAMPLE_TS", str(REPO / "build/native/tools/make_sample_ts/make_sample_ts"))
MAKE_NIT_LAYOUTS = os.environ.get("MAKE_NIT_LAYOUTS", str(REPO / "build/native/tools/make_sample_ts/make_nit_layouts"))
SAMPLES, EXPECTED, SUPPORT = REPO / "samples", REPO / "tests/cli/expected", REPO / "tests/support"
sys.path.insert(0, str(SUPPORT))
from http_test_server import FAILURE_MODES, list_body  # noqa: E402,F401  the test site's own lists


def run(program, *args, stdin=None, cwd=None, env=None, timeout=60):
    """Runs a program, without VELQ_TP_SITE unless `env` sets it; output as bytes."""
    full_env = {key: value for key, value in os.environ.items() if key != "VELQ_TP_SITE"}
    return subprocess.run([program, *map(str, args)], input=stdin, capture_output=True, cwd=cwd,
                          env={**full_env, **(env or {})}, timeout=timeout)


def velqtp(*args, **kwargs):
    return run(VELQTP, *args, **kwargs)


def lines(output):
    return output.decode().splitlines()


def entries_of(output):
    """The transponder entries among the lines velqtp printed."""
    return [line for line in lines(output) if re.match(r"\d+,", line)]


def list_file_entries(data):
    """The values of keys 1..N of section DVB of a list file."""
    text = data.decode("cp1252").split("\r\n")
    return [line.split("=", 1)[1] for line in text[text.index("[DVB]") + 2:] if line]


def http_get(url, target, headers=None):
    """GET of `target` as given, with `headers`: (status, body, the answer's headers), status 0 when the
    connection failed."""
    connection = http.client.HTTPConnection(url.split("//")[1], timeout=20)
    try:
        connection.request("GET", target, headers=headers or {})
        response = connection.getresponse()
        return response.status, response.read(), response.headers
    except (OSError, http.client.HTTPException):
        return 0, b"", {}
    finally:
        connection.close()


def channel_list(*channels):
    """A DVBv5 channel file: (frequency kHz, polarisation, symbol rate, [system, more lines...]) each."""
    text = ""
    for frequency, polarisation, symbol_rate, *extra in channels:
        text += "[CHANNEL]\n\tDELIVERY_SYSTEM = %s\n\tFREQUENCY = %d\n\tPOLARIZATION = %s\n\tSYMBOL_RATE = %d\n" % (
            extra[0] if extra else "DVBS", frequency, polarisation, symbol_rate)
        text += "".join("\t%s\n" % line for line in extra[1:]) + "\n"
    return text.encode()


class TestCase(unittest.TestCase):
    def setUp(self):
        # Each test runs in a folder of its own: what a faulty command writes by mistake lands there.
        folder = self.folder()
        self.addCleanup(os.chdir, os.getcwd())
        os.chdir(folder)

    def folder(self):
        """A fresh folder, removed after the test."""
        temp = tempfile.TemporaryDirectory(prefix="velqtp-test-")
        self.addCleanup(temp.cleanup)
        return pathlib.Path(temp.name)

    def start(self, *command, **popen):
        """A server process, ended after the test."""
        process = subprocess.Popen(list(map(str, command)), **popen)
        # SIGTERM, which lets nginx end its workers too.
        self.addCleanup(lambda: process.poll() is None and (process.terminate(), process.wait(10)))
        return process

    def download_site(self, *failures):
        """http_test_server.py failing `failures` (POS=MODE): its URL, and a function that gives
        the pos values asked for so far. Its log, with each request's headers, is self.site_log."""
        folder = self.folder()
        self.site_log = folder / "log"
        fails = [arg for failure in failures for arg in ("--fail", failure)]
        self.start(sys.executable, SUPPORT / "http_test_server.py", "--port-file", folder / "port", "--log",
                   self.site_log, "--log-headers", "--max-seconds", 120, *fails)
        for _ in range(500):
            if (folder / "port").exists():
                break
            time.sleep(0.02)
        url = "http://127.0.0.1:%d" % int((folder / "port").read_text())
        return url, lambda: re.findall(r"pos=(\S+)", (folder / "log").read_text())

    def velqtp_serve(self, folder):
        """velqtp serve on `folder`, on a free port: its process, URL and log file."""
        log = self.folder() / "serve.log"
        with log.open("wb") as err:
            process = self.start(VELQTP, "serve", folder, "--port", 0, stdout=subprocess.PIPE, stderr=err)
        return process, re.search(r"http://[^ /]+(?=/dl\.php)", process.stdout.readline().decode())[0], log
