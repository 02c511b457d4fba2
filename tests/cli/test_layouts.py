"""Every way broadcasts lay out the NIT, scanned by velqtp: exactly the built table's entries, saved
under the position of its last delivery descriptor. make_nit_layouts writes each layout's recording
and what it must give; the plug-in's tests under Wine read the same layouts."""

import unittest

from velqtp_test_support import MAKE_NIT_LAYOUTS, TempFolder, entries_of, lines, run, velqtp


def expectations(path):
    """(list file, entries) from a NAME.expected file."""
    list_file, entries = None, []
    for line in path.read_text().splitlines():
        key, value = line.split(" ", 1)
        if key == "list-file":
            list_file = value
        elif key == "entry":
            entries.append(value)
    return list_file, entries


class EachLayout(unittest.TestCase):
    def test_gives_the_built_table_and_its_list_file(self):
        with TempFolder() as folder:
            made = run(MAKE_NIT_LAYOUTS, folder)
            self.assertEqual(made.returncode, 0, made.stderr)
            layouts = sorted(folder.glob("*.expected"))
            self.assertEqual(len(layouts), 12)
            for expected in layouts:
                with self.subTest(layout=expected.stem):
                    list_file, entries = expectations(expected)
                    result = velqtp("scan", expected.with_suffix(".ts"), "--dry-run")
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertEqual(sorted(entries_of(result.stdout)), entries)
                    self.assertEqual(lines(result.stdout)[-1], "Not written (dry run): " + list_file)


if __name__ == "__main__":
    unittest.main()
