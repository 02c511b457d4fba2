"""make_sample_ts itself: where it takes the position from, the same bytes for the same arguments, and
a recording that starts mid-section. What the streams hold: the golden scans and test_lists.py."""

from velqtp_test_support import MAKE_SAMPLE_TS, TestCase, channel_list, lines, run, velqtp

CHANNELS = channel_list(*[(10700000 + 20000 * i, "VERTICAL", 27500000) for i in range(40)])


class MakeSampleTs(TestCase):
    def test_position_from_the_option_or_the_file_name(self):
        for name, args, list_file in [("Thor-5-0.8W", [], "3592.ini"), ("list", ["--position", "30W"], "3300.ini"),
                                      ("Hotbird-13.0E", ["--position", "0.0E"], "0000.ini")]:
            with self.subTest(name=name, args=args):
                folder = self.folder()
                (folder / name).write_bytes(CHANNELS)
                self.assertEqual(run(MAKE_SAMPLE_TS, folder / name, folder / "out.ts", *args).returncode, 0)
                result = velqtp("scan", folder / "out.ts", "--dry-run")
                self.assertEqual(lines(result.stdout)[-1], "Not written (dry run): " + list_file)

    def test_same_arguments_same_bytes_and_a_mid_section_start(self):
        folder = self.folder()
        (folder / "A-13.0E").write_bytes(CHANNELS)
        for out in ["first.ts", "second.ts"]:
            run(MAKE_SAMPLE_TS, folder / "A-13.0E", folder / out, "--start-mid-section")
        first = (folder / "first.ts").read_bytes()
        self.assertEqual(first, (folder / "second.ts").read_bytes())
        nit = [first[i:i + 188] for i in range(0, len(first), 188) if (first[i + 1] & 0x1F, first[i + 2]) == (0, 0x10)]
        self.assertEqual(nit[0][1] & 0x40, 0, "the first NIT packet should continue a section")
