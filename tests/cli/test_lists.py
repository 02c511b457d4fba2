"""velqtp import, export and diff: lists from DVBv5 channel files, and back."""

import os
import pathlib
import re
import unittest

from velqtp_test_support import (TempFolder, channel_list, entries_of, lines, list_file_entries, make_stream,
                                 velqtp)

SCAN_TABLES = pathlib.Path("/usr/share/dvb/dvb-s")
HAVE_TABLES = SCAN_TABLES.is_dir()


def sattype(data):
    """Keys 1 and 2 of section SATTYPE."""
    text = data.decode("cp1252").split("\r\n")
    start = text.index("[SATTYPE]")
    return text[start + 1:start + 3]


class Import(unittest.TestCase):
    def test_merges_the_files_of_a_position_as_a_search_would_list_them(self):
        with TempFolder() as folder:
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
                "1 duplicates removed)",
                "0130.ini: new, 3 entries",
                "Wrote 1 list, 3 entries; skipped 2 channels no descriptor can carry"])
            written = (folder / "0130.ini").read_bytes()
            self.assertEqual(list_file_entries(written), [
                "10719,H,22000,23,DVB-S2,8PSK", "11727,V,27500,34,DVB-S,QPSK", "12000,right,01000,DVB-S2,Auto"])
            self.assertEqual(sattype(written), ["1=0130", "2=Hotbird 6/7A/8 (13\u00b0E)"])

    def test_names_without_a_position_need_one_given(self):
        with TempFolder() as folder:
            (folder / "channels.conf").write_bytes(channel_list((11727000, "VERTICAL", 27500000)))
            refused = velqtp("import", folder / "channels.conf", "--dir", folder)
            self.assertEqual(refused.returncode, 2)
            self.assertIn("give --position", refused.stderr.decode())
            result = velqtp("import", folder / "channels.conf", "--position", "7.0W", "--dir", folder)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(sorted(os.listdir(folder)), ["3530.ini", "channels.conf"])

    @unittest.skipUnless(HAVE_TABLES, "needs Debian's dtv-scan-tables")
    def test_gives_the_entries_a_network_search_gives(self):
        # The same channels broadcast as a NIT and searched, against imported.
        with TempFolder() as folder:
            channels = (SCAN_TABLES / "Hotbird-13.0E").read_bytes()
            capture = make_stream(folder, "Hotbird-13.0E", channels)
            scanned = velqtp("scan", capture, "--dry-run")
            imported = velqtp("import", folder / "Hotbird-13.0E", "--dir", folder)
            self.assertEqual(imported.returncode, 0, imported.stderr)
            self.assertEqual(list_file_entries((folder / "0130.ini").read_bytes()), entries_of(scanned.stdout))

    @unittest.skipUnless(HAVE_TABLES, "needs Debian's dtv-scan-tables")
    def test_every_debian_scan_table_imports(self):
        with TempFolder() as folder:
            tables = sorted(SCAN_TABLES.iterdir())
            result = velqtp("import", *tables, "--dir", folder)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(result.stderr, b"")
            written = [name for name in os.listdir(folder) if name.endswith(".ini")]
            summary = lines(result.stdout)[-1]
            self.assertRegex(summary, r"^Wrote %d lists, \d+ entries" % len(written))
            self.assertGreater(len(written), 100)

            everything = velqtp("import", "--all", "--dir", folder)
            self.assertEqual(everything.returncode, 0, everything.stderr)
            out = lines(everything.stdout)
            made = int(re.match(r"Wrote (\d+) lists", out[-2]).group(1))
            uncovered = re.match(r"No scan table for (\d+) catalogue positions: ", out[-1])
            self.assertEqual(made + int(uncovered.group(1)), 56)
            self.assertTrue(all(re.match(r"(\[..?/\d+\] .*|\d{4}\.ini: .*)$", line) for line in out[:-2]), out)


class ExportAndDiff(unittest.TestCase):
    LIST = (b";    [Created by Velq Transponders Updater 2024-03-09 18:05:42]\r\n[SATTYPE]\r\n1=3530\r\n"
            b"2=Nilesat 101,102,103\r\n[DVB]\r\n0=6\r\n"
            b"1=10727,H,22000,56,DVB-S2,8PSK\r\n2=10758,left,01000,DVB-S2,Auto\r\n"
            b"3=11747,V,27500,910,DVB-S,QPSK\r\n4=11766,right,30000,12,DVB-S2,16-QAM\r\n"
            b"5=a note, not an entry\r\n6=12000,V,27500,35,DVB-S2,8PSK\r\n")

    def test_an_export_imports_back_into_the_same_list(self):
        with TempFolder() as folder:
            (folder / "3530.ini").write_bytes(self.LIST)
            exported = velqtp("export", folder / "3530.ini")
            self.assertEqual(exported.returncode, 0, exported.stderr)
            self.assertIn("left out \"a note, not an entry\"", exported.stderr.decode())
            back = folder / "back"
            back.mkdir()
            (back / "Nilesat-7.0W").write_bytes(exported.stdout)
            result = velqtp("import", back / "Nilesat-7.0W", "--dir", back)
            self.assertEqual(result.returncode, 0, result.stderr)
            again = (back / "3530.ini").read_bytes()
            self.assertEqual(list_file_entries(again), [e for e in list_file_entries(self.LIST) if e[0].isdigit()])
            self.assertEqual(sattype(again), sattype(self.LIST))

    def test_diff_names_what_was_added_removed_and_changed(self):
        with TempFolder() as folder:
            (folder / "old.ini").write_bytes(self.LIST)
            new = self.LIST.replace(b"10727,H,22000,56", b"10727,H,27500,56").replace(
                b"4=11766,right", b"4=11767,right").replace(b"0=6", b"0=7") + b"7=12100,H,27500,34,DVB-S,QPSK\r\n"
            (folder / "new.ini").write_bytes(new)
            result = velqtp("diff", folder / "old.ini", folder / "new.ini")
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(lines(result.stdout), [
                "- 11766,right,30000,12,DVB-S2,16-QAM",
                "+ 11767,right,30000,12,DVB-S2,16-QAM",
                "+ 12100,H,27500,34,DVB-S,QPSK",
                "~ 10727,H,22000,56,DVB-S2,8PSK -> 10727,H,27500,56,DVB-S2,8PSK",
                "2 added, 1 removed, 1 changed"])
            same = velqtp("diff", folder / "old.ini", folder / "old.ini")
            self.assertEqual(lines(same.stdout), ["unchanged"])


if __name__ == "__main__":
    unittest.main()
