"""velqtp's help, version and the tables it prints."""

import unittest

from velqtp_test_support import lines, velqtp

COMMANDS = ["scan", "fetch", "update-all", "positions", "catalogue"]


class HelpAndVersion(unittest.TestCase):
    def test_help_for_the_tool_and_every_command(self):
        top = velqtp("--help")
        self.assertEqual(top.returncode, 0)
        for command in COMMANDS:
            self.assertIn(command, top.stdout.decode())
            with self.subTest(command=command):
                result = velqtp(command, "--help")
                self.assertEqual(result.returncode, 0)
                self.assertIn("Usage: velqtp " + command, result.stdout.decode())

    def test_version(self):
        result = velqtp("--version")
        self.assertEqual((result.returncode, result.stdout), (0, b"velqtp 2.2.2.0\n"))

    def test_no_or_an_unknown_command_is_a_usage_error(self):
        for args in [[], ["rescan"], ["fetch"], ["scan"]]:
            with self.subTest(args=args):
                result = velqtp(*args)
                self.assertEqual(result.returncode, 2)
                self.assertNotEqual(result.stderr, b"")


class Tables(unittest.TestCase):
    def test_positions(self):
        result = velqtp("positions")
        rows = lines(result.stdout)
        self.assertEqual(rows[0].split(), ["POS", "CODE", "NAME"])
        self.assertEqual(len(rows), 1 + 168)
        self.assertIn('13.0E  0130  "Hotbird 6/7A/8 (13\u00b0E)"', rows)
        self.assertIn('7.0W   3530  "Nilesat 101,102,103"', rows)
        self.assertIn('61.0W  2990  ""', rows)

    def test_catalogue_in_window_order_and_the_update_all_order(self):
        rows = lines(velqtp("catalogue").stdout)
        self.assertEqual(len(rows), 1 + 56)
        self.assertEqual(rows[1], '2.0E   0020.ini  Button28  "Astra1C=2\u00b0E"')
        self.assertIn('23.5E  0235.ini  Button11  "Astra=23.5\u00b0E "', rows)
        self.assertEqual(rows[-1], '63.0W  2970.ini  Button56  "Hotbird 1=63W"')

        steps = lines(velqtp("catalogue", "--update-all-order").stdout)
        self.assertEqual(len(steps), 1 + 56)
        self.assertEqual(steps[1].split()[:3], ["1", "21.5E", "0215.ini"])
        self.assertEqual(steps[-1].split()[:3], ["56", "18.0W", "3420.ini"])


if __name__ == "__main__":
    unittest.main()
