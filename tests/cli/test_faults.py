"""Faults of the machine, for real: a save or a download onto a full device and
into a read-only folder must end with the named error, keep the old list whole
and leave no partial file behind.

Tiny and read-only tmpfs mounts need root (CI runs as root); the tests skip
without it.
"""

import os
import pathlib
import subprocess
import tempfile
import unittest

from velqtp_test_support import SAMPLES, TestSite, TempFolder, velqtp

OLD_LIST = b";    [an older list]\r\n[DVB]\r\n0=0\r\n"


class Mount:
    """A tmpfs of `size` bytes, read-only when asked, holding `files`."""

    def __init__(self, size, files=None, read_only=False):
        self.size, self.files, self.read_only = size, files or {}, read_only

    def __enter__(self):
        self.path = pathlib.Path(tempfile.mkdtemp(prefix="velq-fault-"))
        subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={self.size}", "tmpfs", self.path],
                       check=True, capture_output=True)
        for name, data in self.files.items():
            (self.path / name).write_bytes(data)
        if self.read_only:
            subprocess.run(["mount", "-o", "remount,ro", self.path], check=True, capture_output=True)
        return self.path

    def __exit__(self, *exc):
        subprocess.run(["umount", self.path], check=False, capture_output=True)
        self.path.rmdir()


def fill_up(path):
    """Writes zeros to `path` until the device says it is full."""
    fd = os.open(path, os.O_WRONLY | os.O_CREAT, 0o644)
    try:
        while True:
            os.write(fd, b"\0" * 1024)
    except OSError:
        pass
    finally:
        os.close(fd)


def can_mount():
    if os.geteuid() != 0:
        return False
    try:
        with Mount(4096):
            return True
    except (subprocess.CalledProcessError, OSError):
        return False


@unittest.skipUnless(can_mount(), "needs root to mount a small tmpfs")
class FaultsOfTheMachine(unittest.TestCase):
    def assert_only_the_old_list(self, folder, name):
        self.assertEqual((folder / name).read_bytes(), OLD_LIST)
        self.assertEqual(sorted(p.name for p in folder.iterdir()), [name])

    def test_scan_onto_a_full_device_keeps_the_old_list(self):
        # Room for the old list but not for the new one beside it.
        with Mount(8192, {"0130.ini": OLD_LIST}) as folder:
            filler = folder / "filler"
            fill_up(filler)
            result = velqtp("scan", SAMPLES / "hotbird-13.0E.ts", "--dir", folder)
            filler.unlink()
            self.assertNotEqual(result.returncode, 0)
            self.assertRegex(result.stderr.decode(), r"Unable to write to .*0130\.ini|I/O error 28")
            self.assert_only_the_old_list(folder, "0130.ini")

    def test_scan_into_a_read_only_folder_is_refused(self):
        with Mount(65536, {"0130.ini": OLD_LIST}, read_only=True) as folder:
            result = velqtp("scan", SAMPLES / "hotbird-13.0E.ts", "--dir", folder)
            self.assertNotEqual(result.returncode, 0)
            self.assertIn("File access denied", result.stderr.decode())
            self.assert_only_the_old_list(folder, "0130.ini")

    def test_download_onto_a_full_device_keeps_the_old_list(self):
        with TempFolder() as work, TestSite(work) as site, \
                Mount(8192, {"0130.ini": OLD_LIST}) as folder:
            fill_up(folder / "filler")
            result = velqtp("fetch", "13.0E", "--dir", folder, "--site", site.url)
            (folder / "filler").unlink()
            self.assertNotEqual(result.returncode, 0)
            self.assertIn("Error downloading URL: ", result.stderr.decode())
            self.assert_only_the_old_list(folder, "0130.ini")

    def test_download_into_a_read_only_folder_keeps_the_old_list(self):
        with TempFolder() as work, TestSite(work) as site, \
                Mount(65536, {"0130.ini": OLD_LIST}, read_only=True) as folder:
            result = velqtp("fetch", "13.0E", "--dir", folder, "--site", site.url)
            self.assertNotEqual(result.returncode, 0)
            self.assertIn("Error downloading URL: ", result.stderr.decode())
            self.assert_only_the_old_list(folder, "0130.ini")


if __name__ == "__main__":
    unittest.main()
