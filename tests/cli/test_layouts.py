"""Every way broadcasts lay out the NIT, scanned by velqtp: exactly the built table's entries, saved
under the position of its last delivery descriptor. make_nit_layouts writes each layout's recording
and what it must give; the plug-in's tests under Wine read the same layouts."""

import os

from velqtp_test_support import MAKE_NIT_LAYOUTS, TestCase, entries_of, lines, run, velqtp


class EachLayout(TestCase):
    def test_gives_the_built_table_and_its_list_file(self):
        folder = self.folder()
        made = run(MAKE_NIT_LAYOUTS, folder)
        self.assertEqual(made.returncode, 0, made.stderr)
        files = sorted(os.listdir(folder))
        layouts = sorted(folder.glob("*.expected"))
        self.assertEqual(len(layouts), 12)
        for expected in layouts:  # lines "list-file NAME" and "entry TEXT"
            with self.subTest(layout=expected.stem):
                values = [line.split(" ", 1) for line in expected.read_text().splitlines()]
                result = velqtp("scan", expected.with_suffix(".ts"), "--dry-run", cwd=folder)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(sorted(entries_of(result.stdout)), [text for key, text in values if key == "entry"])
                self.assertEqual(lines(result.stdout)[-1], "Not written (dry run): " + dict(values)["list-file"])
        self.assertEqual(sorted(os.listdir(folder)), files)  # a dry run writes nothing
