"""make_sample_ts itself: where it takes the position from, and the same bytes for the same arguments.
Entries, Max Freq Diff and channel lists are tested in the unit tests and test_lists.py."""

import unittest

from velqtp_test_support import (MAKE_SAMPLE_TS, TempFolder, channel_list, entries_of, lines, make_stream, run,
                                 velqtp)


def scan(capture, *args):
    result = velqtp("scan", capture, "--dry-run", *args)
    if result.returncode != 0:
        raise AssertionError(result.stderr.decode())
    return result


class ChannelsBecomeEntries(unittest.TestCase):
    def test_position_from_the_option_or_the_file_name(self):
        channels = channel_list((11727000, "VERTICAL", 27500000))
        cases = [("Thor-5-0.8W", [], "3592.ini"), ("list", ["--position", "30W"], "3300.ini"),
                 ("Hotbird-13.0E", ["--position", "0.0E"], "0000.ini")]
        for name, args, list_file in cases:
            with self.subTest(name=name, args=args), TempFolder() as folder:
                result = scan(make_stream(folder, name, channels, *args))
                self.assertEqual(lines(result.stdout)[-1], "Not written (dry run): " + list_file)
        with TempFolder() as folder:
            (folder / "list").write_bytes(channels)
            made = run(MAKE_SAMPLE_TS, folder / "list", folder / "out.ts")
            self.assertEqual(made.returncode, 2)
            self.assertIn("give --position", made.stderr.decode())


class CaptureShape(unittest.TestCase):
    def test_same_arguments_same_bytes_and_a_mid_section_start(self):
        channels = channel_list(*[(10700000 + 20000 * i, "VERTICAL", 27500000) for i in range(40)])
        with TempFolder() as folder:
            first = make_stream(folder, "A-13.0E", channels, "--start-mid-section").read_bytes()
            second = make_stream(folder, "B-13.0E", channels, "--start-mid-section").read_bytes()
            self.assertEqual(first, second)
            nit = [first[i:i + 188] for i in range(0, len(first), 188) if first[i + 1] & 0x1F == 0
                   and first[i + 2] == 0x10]
            self.assertEqual(nit[0][1] & 0x40, 0, "the first NIT packet should continue a section")


if __name__ == "__main__":
    unittest.main()
