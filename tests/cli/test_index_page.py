"""The page for people at / of velqtp serve, in a real browser: Debian's chromium, headless, renders it; its
rows, names and links are read from the rendered DOM, and screenshots of a phone-sized and a desktop window
are kept as build artefacts (VELQ_ARTEFACTS). Skipped where chromium is not installed."""

import html
import os
import pathlib
import re
import shutil
import time
import unittest

from test_serve import SITE_LISTS, site_folder
from velqtp_test_support import REPO, TestCase, http_get, lines, list_file_entries, run, velqtp

CHROMIUM = shutil.which("chromium")
ARTEFACTS = pathlib.Path(os.environ.get("VELQ_ARTEFACTS", REPO / "build/native/artefacts"))
HOSTILE = b'<img src=x onerror="alert(1)"> & Co 4,8\xb0E'


def table_rows(dom):
    """The table rows of a rendered page that have cells: their texts, a link as its target and its text."""
    cell = r"<t[dh][^>]*>(?:<a href=\"([^\"]*)\"[^>]*>)?(.*?)</t[dh]>"
    return [[html.unescape(re.sub("<[^>]+>", "", part)) for texts in re.findall(cell, row, re.S) for part in texts
             if part] for row in re.findall(r"<tr[^>]*>(.*?)</tr>", dom, re.S) if "<td" in row]


@unittest.skipIf(CHROMIUM is None, "chromium is not installed")
class IndexPage(TestCase):
    def chromium(self, *args):
        result = run(CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--user-data-dir=%s" % self.folder(), *args, timeout=90)
        self.assertEqual(result.returncode, 0, result.stderr[-2000:])
        return result.stdout.decode()

    def test_rendered_page_lists_every_position_with_its_list_and_link(self):
        lists = site_folder(self.folder())
        (lists / "0048.ini").write_bytes(b"[SATTYPE]\r\n1=0048\r\n2=" + HOSTILE + b"\r\n[DVB]\r\n0=0\r\n")
        (lists / "1800.ini").write_bytes(SITE_LISTS["3592.ini"])  # a position outside the catalogue
        url = self.velqtp_serve(lists)[1]
        dom = self.chromium("--dump-dom", url + "/")
        self.assertNotIn("<img", dom)
        rows = table_rows(dom)
        catalogue = [line.split(None, 3) for line in lines(velqtp("catalogue").stdout)[1:]]
        self.assertEqual([row[0] for row in rows], [pos[:-1] + "\u00b0" + pos[-1] for pos, *_ in catalogue] +
                         ["180.0\u00b0E"])
        for (pos, file, _, caption), row in zip(catalogue + [("180.0E", "1800.ini", "", "")], rows):
            with self.subTest(pos=pos):
                if not (lists / file).exists():
                    self.assertEqual(row[1:], [caption.strip('"'), file, "no list on this site"])
                    continue
                data = (lists / file).read_bytes()
                name = data.split(b"\r\n2=")[1].split(b"\r\n")[0].decode("cp1252") if b"\r\n2=" in data else ""
                changed = time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime((lists / file).stat().st_mtime))
                self.assertEqual(row[1:], [name or caption.strip('"'), file, str(len(list_file_entries(data))),
                                           changed, "dl.php?pos=" + pos, "Download " + pos])
                self.assertEqual(http_get(url, "/" + row[5])[1], data)
        ARTEFACTS.mkdir(parents=True, exist_ok=True)
        for name, size in [("phone", "390,2400"), ("desktop", "1280,1000")]:
            shot = ARTEFACTS / ("index-page-%s.png" % name)
            self.chromium("--screenshot=%s" % shot, "--window-size=" + size, "--hide-scrollbars", url + "/")
            self.assertEqual(shot.read_bytes()[:8], b"\x89PNG\r\n\x1a\n")
