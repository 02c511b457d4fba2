"""A scan or a download onto a full device or into a read-only folder ends with the named error, keeps
the old list whole and leaves no partial file. Small tmpfs mounts need root (as in CI), else skipped."""

import contextlib
import os
import pathlib
import subprocess
import tempfile
import unittest

from velqtp_test_support import SAMPLES, TestCase, velqtp

OLD_LIST = b";    [an older list]\r\n[DVB]\r\n0=0\r\n"


@contextlib.contextmanager
def mount(read_only):
    """A folder on a tmpfs of two pages holding an old 0130.ini: read-only, or with the rest filled up."""
    path = pathlib.Path(tempfile.mkdtemp(prefix="velq-fault-"))
    try:
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8192", "tmpfs", path], check=True, capture_output=True)
        (path / "0130.ini").write_bytes(OLD_LIST)
        if read_only:
            subprocess.run(["mount", "-o", "remount,ro", path], check=True, capture_output=True)
        else:
            with open(path / "filler", "wb", buffering=0) as filler, contextlib.suppress(OSError):
                while True:
                    filler.write(b"\0" * 1024)
        yield path
    finally:
        subprocess.run(["umount", path], capture_output=True)
        path.rmdir()


def can_mount():
    try:
        with mount(read_only=True):
            return True
    except (subprocess.CalledProcessError, OSError):
        return False


@unittest.skipUnless(can_mount(), "needs root to mount a small tmpfs")
class FaultsOfTheMachine(TestCase):
    def test_each_keeps_the_old_list(self):
        url, _ = self.download_site()
        scan, fetch = ["scan", SAMPLES / "hotbird-13.0E.ts"], ["fetch", "13.0E", "--site", url]
        for args, read_only, message in [(scan, False, r"Unable to write to .*0130\.ini|I/O error 28"),
                                         (scan, True, "File access denied"),
                                         (fetch, False, "Error downloading URL: "),
                                         (fetch, True, "Error downloading URL: ")]:
            with self.subTest(command=args[0], read_only=read_only), mount(read_only) as folder:
                result = velqtp(*args, "--dir", folder)
                self.assertEqual(result.returncode, 1)
                self.assertRegex(result.stderr.decode(), message)
                self.assertEqual((folder / "0130.ini").read_bytes(), OLD_LIST)
                self.assertEqual(sorted(os.listdir(folder)), ["0130.ini"] if read_only else ["0130.ini", "filler"])
