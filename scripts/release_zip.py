"""python3 release_zip.py ZIP VERSION DLL SOURCES: the plug-in's release zip, the same bytes from the same
inputs. readme.txt (from docs/readme-win32.txt) and LICENSE.txt as Notepad shows them: Windows-1252, CR LF.
The members in a fixed order, each dated by SOURCE_DATE_EPOCH (the commit), with MS-DOS attributes."""

import os
import sys
import time
import zipfile


def windows_text(path, version):
    text = open(path, encoding="utf-8").read().replace("@VERSION@", version)
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")


def main(target, version, dll, sources):
    members = {
        "VelqTpUpdater.dll": open(dll, "rb").read(),
        "readme.txt": windows_text(os.path.join(sources, "docs/readme-win32.txt"), version),
        "LICENSE.txt": windows_text(os.path.join(sources, "LICENSE"), version),
    }
    # Zip dates start in 1980.
    stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
    with zipfile.ZipFile(target, "w") as archive:
        for name in sorted(members):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS
            info.external_attr = 0x20  # the archive bit: a plain file
            info.internal_attr = name.endswith(".txt")  # text
            archive.writestr(info, members[name], compresslevel=9)


if __name__ == "__main__":
    main(*sys.argv[1:])
