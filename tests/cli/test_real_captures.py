"""velqtp scan of the real recordings beside the repository (../shared/real-captures, never copied into it),
against what their README says a network search gives: the .expected entries at the .position, or exit 1 and
nothing written."""

import os
import unittest

from velqtp_test_support import REPO, TestCase, lines, list_file_entries, velqtp

CAPTURES = REPO.parent / "shared/real-captures"
# The README's last column: the change line of the list written, or why there is none.
GIVES = {
    "astra192e_mumudvb": "0192.ini: new, 82 entries",
    "mediaset13e_tsduck": "0130.ini: new, 1 entry",
    "astra192e_first4000_tsduck": "no complete NIT",
    **{name: "has no satellite delivery system descriptor" for name in
       ["tnt_fr_20fa_tsduck184", "dvbt_2nets_tsduck134", "dvbt_cts_mpegts", "tnt_5w_isi6_rustdvb"]},
}


@unittest.skipUnless(CAPTURES.is_dir(), "needs the real recordings in ../shared/real-captures")
class RealCaptures(TestCase):
    def test_each_recording_gives_what_its_readme_says(self):
        self.assertEqual(sorted(path.stem for path in CAPTURES.glob("*.ts")), sorted(GIVES))
        for name, gives in GIVES.items():
            with self.subTest(recording=name):
                folder = self.folder()
                result = velqtp("scan", CAPTURES / (name + ".ts"), "--dir", folder)
                expected = CAPTURES / (name + ".expected")
                if not expected.exists():
                    self.assertEqual((result.returncode, os.listdir(folder)), (1, []))
                    self.assertIn(gives, result.stderr.decode())
                    continue
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(lines(result.stdout)[-1], gives)
                code, hemisphere = (CAPTURES / (name + ".position")).read_text().split()
                self.assertTrue(lines(result.stdout)[0].endswith("\u00b0" + hemisphere), lines(result.stdout)[0])
                self.assertEqual(os.listdir(folder), [code + ".ini"])
                written = list_file_entries((folder / (code + ".ini")).read_bytes())
                self.assertEqual(sorted(written, key=str.encode), expected.read_text().splitlines())
