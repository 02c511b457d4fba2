"""velqtp import, export and diff: lists from DVBv5 channel files, and back."""

import os
import pathlib
import re
import unittest

from velqtp_test_support import (MAKE_SAMPLE_TS, TestCase, channel_list, entries_of, lines, list_file_entries, run,
                                 velqtp)

SCAN_TABLES = pathlib.Path("/usr/share/dvb/dvb-s")
NILESAT = (b";    [Created by Velq Transponders Updater 2024-03-09 18:05:42]\r\n[SATTYPE]\r\n1=3530\r\n"
           b"2=Nilesat 101,102,103\r\n[DVB]\r\n0=6\r\n"
           b"1=10727,H,22000,56,DVB-S2,8PSK\r\n2=10758,left,01000,DVB-S2,Auto\r\n"
           b"3=11747,V,27500,910,DVB-S,QPSK\r\n4=11766,right,30000,12,DVB-S2,16-QAM\r\n"
           b"5=a note, not an entry\r\n6=12000,V,27500,35,DVB-S2,8PSK\r\n")


def sattype(data):
    """Keys 1 and 2 of section SATTYPE."""
    text = data.decode("cp1252").split("\r\n")
    return text[text.index("[SATTYPE]") + 1:][:2]


class Lists(TestCase):
    def test_import_merges_the_files_of_a_position_as_a_search_would_list_them(self):
        folder = self.folder()
        (folder / "Sat-A-13.0E").write_bytes(channel_list(
            (11727000, "VERTICAL", 27500000, "DVBS", "INNER_FEC = 3/4"),
            (10719000, "HORIZONTAL", 22000000, "DVBS2", "MODULATION = PSK/8", "INNER_FEC = 2/3")))
        (folder / "Sat-B-13.0E").write_bytes(channel_list(
            (11727000, "VERTICAL", 27500000, "DVBS", "INNER_FEC = 3/4"),          # a duplicate
            (11800000, "HORIZONTAL", 27500000, "DVBS2", "MODULATION = APSK/16"),  # no descriptor code
            (20200000, "LEFT", 27500000, "DVBS2", "MODULATION = QPSK"),           # beyond 12800 MHz
            (12000000, "RIGHT", 1000000, "DVBS2", "MODULATION = QAM/AUTO")))
        result = velqtp("import", folder / "Sat-A-13.0E", folder / "Sat-B-13.0E", "--dir", folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(lines(result.stdout), [
            "13.0E  0130.ini: 3 entries from 2 files (6 channels; skipped 1 APSK, 1 out of range; "
            "1 duplicate removed)",
            "0130.ini: new, 3 entries", "Wrote 1 list, 3 entries; skipped 2 channels no descriptor can carry"])
        written = (folder / "0130.ini").read_bytes()
        self.assertEqual(list_file_entries(written), [
            "10719,H,22000,23,DVB-S2,8PSK", "11727,V,27500,34,DVB-S,QPSK", "12000,right,01000,DVB-S2,Auto"])
        self.assertEqual(sattype(written), ["1=0130", "2=Hotbird 6/7A/8 (13\u00b0E)"])
        (folder / "one").write_bytes(channel_list((11727000, "VERTICAL", 27500000),
                                                  (11800000, "HORIZONTAL", 27500000, "DVBS2", "MODULATION = APSK/16")))
        result = velqtp("import", folder / "one", "--position", "7.0W", "--dir", folder)
        self.assertEqual(lines(result.stdout), [  # every count in the singular
            "7.0W   3530.ini: 1 entry from 1 file (2 channels; skipped 1 APSK, 0 out of range; 0 duplicates removed)",
            "3530.ini: new, 1 entry", "Wrote 1 list, 1 entry; skipped 1 channel no descriptor can carry"])
        self.assertEqual(sattype((folder / "3530.ini").read_bytes()), ["1=3530", "2=Nilesat 101,102,103"])

    @unittest.skipUnless(SCAN_TABLES.is_dir(), "needs Debian's dtv-scan-tables")
    def test_import_of_debian_scan_tables_gives_what_a_network_search_gives(self):
        folder, every = self.folder(), self.folder()
        run(MAKE_SAMPLE_TS, SCAN_TABLES / "Hotbird-13.0E", folder / "broadcast.ts")
        scanned = velqtp("scan", folder / "broadcast.ts", "--dry-run")
        velqtp("import", SCAN_TABLES / "Hotbird-13.0E", "--dir", folder)
        self.assertEqual(list_file_entries((folder / "0130.ini").read_bytes()), entries_of(scanned.stdout))

        result = velqtp("import", *SCAN_TABLES.iterdir(), "--dir", every)
        self.assertEqual((result.returncode, result.stderr), (0, b""))
        self.assertRegex(lines(result.stdout)[-1], r"^Wrote %d lists, \d+ entries" % len(os.listdir(every)))
        self.assertGreater(len(os.listdir(every)), 100)
        out = lines(velqtp("import", "--all", "--dir", every).stdout)
        uncovered = re.match(r"No scan table for (\d+) catalogue positions: (.*)", out[-2])
        self.assertEqual(int(re.match(r"Wrote (\d+) lists", out[-3])[1]) + int(uncovered[1]), 56)
        # Which update-all steps a site of these lists fails, and the first, where the plug-in stops.
        order = [line.split()[:2] for line in lines(velqtp("catalogue", "--update-all-order").stdout)[1:]]
        steps = [(step, pos) for step, pos in order if pos in uncovered[2].split()]
        self.assertEqual(out[-1], "They are update-all steps %s of 56: the plug-in's update-all from a site of these "
                         "lists stops at step %s (velqtp update-all --keep-going fetches the others)" % (
                             ", ".join("%s (%s)" % step for step in steps), steps[0][0]))

    def test_an_export_imports_back_into_the_same_list(self):
        folder = self.folder()
        (folder / "3530.ini").write_bytes(NILESAT)
        exported = velqtp("export", folder / "3530.ini")
        self.assertIn("left out \"a note, not an entry\"", exported.stderr.decode())
        (folder / "Nilesat-7.0W").write_bytes(exported.stdout)
        back = self.folder()
        result = velqtp("import", folder / "Nilesat-7.0W", "--dir", back)
        self.assertEqual(result.returncode, 0, result.stderr)
        again = (back / "3530.ini").read_bytes()
        self.assertEqual(list_file_entries(again), [e for e in list_file_entries(NILESAT) if e[0].isdigit()])
        self.assertEqual(sattype(again), sattype(NILESAT))

    def test_diff_names_what_was_added_removed_and_changed(self):
        folder = self.folder()
        (folder / "old.ini").write_bytes(NILESAT)
        (folder / "new.ini").write_bytes(NILESAT.replace(b"10727,H,22000,56", b"10727,H,27500,56").replace(
            b"4=11766,right", b"4=11767,right").replace(b"0=6", b"0=7") + b"7=12100,H,27500,34,DVB-S,QPSK\r\n")
        result = velqtp("diff", folder / "old.ini", folder / "new.ini")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(lines(result.stdout), [
            "- 11766,right,30000,12,DVB-S2,16-QAM", "+ 11767,right,30000,12,DVB-S2,16-QAM",
            "+ 12100,H,27500,34,DVB-S,QPSK", "~ 10727,H,22000,56,DVB-S2,8PSK -> 10727,H,27500,56,DVB-S2,8PSK",
            "2 added, 1 removed, 1 changed"])
        self.assertEqual(lines(velqtp("diff", folder / "old.ini", folder / "old.ini").stdout), ["unchanged"])
