"""Captures that make_sample_ts builds from small channel lists, scanned by velqtp."""

import unittest

from velqtp_test_support import (MAKE_SAMPLE_TS, TempFolder, channel_list, entries_of, lines, make_stream, run,
                                 velqtp)


def scan(capture, *args):
    result = velqtp("scan", capture, "--dry-run", *args)
    if result.returncode != 0:
        raise AssertionError(result.stderr.decode())
    return result


class ChannelsBecomeEntries(unittest.TestCase):
    def test_every_field_of_the_entry(self):
        channels = channel_list(
            (11727500, "VERTICAL", 27500000, "DVBS", "INNER_FEC = 3/4"),
            (3840000, "RIGHT", 6111000, "DVBS", "INNER_FEC = 7/8"),
            (12188000, "HORIZONTAL", 27500000, "DVBS2", "INNER_FEC = 2/3", "MODULATION = PSK/8"),
            (10964000, "LEFT", 22000000, "DVBS2", "INNER_FEC = AUTO", "MODULATION = APSK/16"),
            (19700000, "HORIZONTAL", 27500000, "DVBS2", "INNER_FEC = 3/4"),  # Ka band: no entry
            (11000000, "VERTICAL", 30001000, "DVBS", "INNER_FEC = 3/4"),    # symbol rate too high
            (474000000, "HORIZONTAL", 0, "DVBT"),                           # not a satellite channel
        )
        with TempFolder() as folder:
            result = scan(make_stream(folder, "Test-19.2E", channels))
        self.assertEqual(entries_of(result.stdout), [
            "03840,right,06111,78,DVB-S,QPSK",
            "10964,left,22000,DVB-S2,Auto",
            "11727,V,27500,34,DVB-S,QPSK",
            "12188,H,27500,23,DVB-S2,8PSK",
        ])
        self.assertEqual(lines(result.stdout)[0], "Astra 1F/1G/1H/1KR/1L (19,2\u00b0E) 19.2 \u00b0E")
        self.assertEqual(lines(result.stdout)[-1], "Not written (dry run): 0192.ini")

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


class MaxFreqDiff(unittest.TestCase):
    def test_neighbours_within_the_difference_on_one_polarisation_go(self):
        channels = channel_list(*[(mhz * 1000, pol, 27500000) for mhz, pol in [
            (11000, "HORIZONTAL"), (11004, "HORIZONTAL"), (11008, "HORIZONTAL"), (11010, "VERTICAL"),
            (11020, "HORIZONTAL"), (11026, "HORIZONTAL")]])
        cases = {
            # Each entry is compared with the one before it, gone or not.
            "1": ["11000,H", "11004,H", "11008,H", "11010,V", "11020,H", "11026,H"],
            "4": ["11000,H", "11010,V", "11020,H", "11026,H"],
            "5": ["11000,H", "11010,V", "11020,H", "11026,H"],
            "6": ["11000,H", "11010,V", "11020,H"],
            "20": ["11000,H", "11010,V", "11020,H"],
        }
        with TempFolder() as folder:
            capture = make_stream(folder, "Test-13.0E", channels)
            for difference, kept in cases.items():
                with self.subTest(difference=difference):
                    result = scan(capture, "--max-freq-diff", difference)
                    self.assertEqual([e[:7] for e in entries_of(result.stdout)], kept)
                    self.assertIn("Found %d TP(s) in total" % len(kept), lines(result.stdout))


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
