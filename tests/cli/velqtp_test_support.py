"""Running velqtp, make_sample_ts and the local download site from the process tests.

The programs come from the environment that ctest sets: VELQTP, MAKE_SAMPLE_TS,
MAKE_NIT_LAYOUTS and VELQ_REPO (the source tree, for the samples and the test site).
"""

import os
import pathlib
import re
import signal
import subprocess
import sys
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent
REPO = pathlib.Path(os.environ.get("VELQ_REPO", HERE.parents[1]))
VELQTP = os.environ.get("VELQTP", str(REPO / "build/native/cli/velqtp"))
MAKE_SAMPLE_TS = os.environ.get("MAKE_SAMPLE_TS", str(REPO / "build/native/tools/make_sample_ts/make_sample_ts"))
MAKE_NIT_LAYOUTS = os.environ.get("MAKE_NIT_LAYOUTS",
                                  str(REPO / "build/native/tools/make_sample_ts/make_nit_layouts"))
SAMPLES = REPO / "samples"
EXPECTED = HERE / "expected"
SITE_SCRIPT = REPO / "tests/support/http_test_server.py"

sys.path.insert(0, str(SITE_SCRIPT.parent))
import http_test_server  # noqa: E402  the site's own list bytes, to compare with

# (sample, list file, entries after "Remove duplicated", satellite line as printed)
SAMPLE_LISTS = [
    ("hotbird-13.0E.ts", "0130.ini", 93, "Hotbird 6/7A/8 (13\u00b0E) 13 \u00b0E"),
    ("astra-19.2E-mid-section.ts", "0192.ini", 23, "Astra 1F/1G/1H/1KR/1L (19,2\u00b0E) 19.2 \u00b0E"),
    ("nilesat-7.0W.ts", "3530.ini", 39, "Nilesat 101,102,103 7 \u00b0W"),
    ("astra-28.2E-packed.ts", "0282.ini", 83, "Astra 2A/2B/2C/2D, Eurobird 1 (28\u00b0E) 28.2 \u00b0E"),
]


def run(program, *args, stdin=None, env=None, cwd=None, timeout=60):
    """Runs a program and returns its CompletedProcess, output as bytes."""
    full_env = dict(os.environ)
    full_env.pop("VELQ_TP_SITE", None)  # only the tests that want it set it
    full_env.update(env or {})
    return subprocess.run([program, *map(str, args)], input=stdin, capture_output=True,
                          env=full_env, cwd=cwd, timeout=timeout)


def velqtp(*args, **kwargs):
    return run(VELQTP, *args, **kwargs)


def lines(output):
    return output.decode("utf-8").splitlines()


def entries_of(output):
    """The transponder entries that velqtp scan printed."""
    return [line for line in lines(output) if re.match(r"\d+,", line)]


def list_file_entries(data):
    """The values of section DVB, keys 1..N, of a transponder list file."""
    text = data.decode("cp1252").split("\r\n")
    dvb = text[text.index("[DVB]") + 1:]
    return [line.split("=", 1)[1] for line in dvb[1:] if line]


class TempFolder:
    """A fresh folder per test, removed afterwards."""

    def __enter__(self):
        self._dir = tempfile.TemporaryDirectory(prefix="velqtp-test-")
        return pathlib.Path(self._dir.name)

    def __exit__(self, *exc):
        self._dir.cleanup()


class TestSite:
    """The local stand-in for the download site, on a free port of 127.0.0.1."""

    def __init__(self, folder, failures=(), stall_seconds=5):
        self.folder = pathlib.Path(folder)
        self.log = self.folder / "requests.log"
        port_file = self.folder / "port.txt"
        args = [sys.executable, str(SITE_SCRIPT), "--port-file", str(port_file), "--log", str(self.log),
                "--stall-seconds", str(stall_seconds), "--max-seconds", "120"]
        for failure in failures:
            args += ["--fail", failure]
        self.process = subprocess.Popen(args, stdout=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not port_file.exists():
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("the test site did not start")
            time.sleep(0.02)
        self.url = "http://127.0.0.1:%d" % int(port_file.read_text())

    def requested_positions(self):
        """The pos value of every request so far, in order."""
        if not self.log.exists():
            return []
        return [line.split("pos=", 1)[1].split()[0] for line in self.log.read_text().splitlines()]

    @staticmethod
    def list_bytes(pos):
        """What the site answers for a position that it does not fail."""
        return http_test_server.list_body(pos, http_test_server.position_code(pos))

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class ServedSite:
    """velqtp serve on a folder of lists, on a free port of 127.0.0.1; its request log is kept."""

    def __init__(self, folder, *args):
        self.log = tempfile.NamedTemporaryFile(prefix="velqtp-serve-", suffix=".log")
        self.process = subprocess.Popen([VELQTP, "serve", folder, "--port", "0", *args], stdout=subprocess.PIPE,
                                        stderr=self.log)
        first = self.process.stdout.readline().decode()
        match = re.search(r"http://([^ ]+?)/dl\.php", first)
        if not match:
            self.stop()
            raise RuntimeError("velqtp serve did not start: %r %r" % (first, self.log_lines()))
        self.url = "http://" + match.group(1)
        self.port = int(self.url.rsplit(":", 1)[1])

    def log_lines(self):
        return pathlib.Path(self.log.name).read_text(errors="replace").splitlines()

    def stop(self, sig=signal.SIGINT):
        """Ends the server as Ctrl-C does; returns its exit status and the rest of its output."""
        if self.process.poll() is None:
            self.process.send_signal(sig)
        try:
            rest, _ = self.process.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            rest, _ = self.process.communicate()
        return self.process.returncode, rest.decode()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
        self.log.close()


def http_get(port, target, timeout=20):
    """One raw GET with the target sent exactly as given; returns (status, body), status 0 when refused or closed."""
    import socket
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
            s.sendall(b"GET " + target + b" HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n")
            data = b""
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                data += chunk
    except OSError:
        return 0, b""
    head, _, body = data.partition(b"\r\n\r\n")
    match = re.match(rb"HTTP/1\.[01] (\d{3})", head)
    return (int(match.group(1)) if match else 0), body


def channel_list(*channels):
    """A dtv-scan-tables channel file: one (frequency kHz, polarisation, symbol rate, extra lines) each."""
    text = "# made by a test\n"
    for frequency, polarisation, symbol_rate, *extra in channels:
        text += ("[CHANNEL]\n\tDELIVERY_SYSTEM = %s\n\tFREQUENCY = %d\n\tPOLARIZATION = %s\n"
                 "\tSYMBOL_RATE = %d\n" % (extra[0] if extra else "DVBS", frequency, polarisation, symbol_rate))
        text += "".join("\t%s\n" % line for line in extra[1:]) + "\n"
    return text.encode()


def make_stream(folder, name, channels, *args):
    """Runs make_sample_ts on a channel file written into `folder`; returns the capture's path."""
    source = folder / name
    source.write_bytes(channels)
    capture = folder / (name + ".ts")
    made = run(MAKE_SAMPLE_TS, source, capture, *args)
    if made.returncode != 0:
        raise AssertionError("make_sample_ts failed: " + made.stderr.decode())
    return capture
