#!/usr/bin/python3
"""Static checks of the plug-in DLL, what a host sees without running it.
Usage: check_plugin_dll.py VelqTpUpdater.dll [--machine i386|amd64]; non-zero exit on a failure."""
import struct
import sys

import pefile

EXPORTS = ["On_Send_Dll_ID_Name", "On_Start", "On_Menu_Select", "On_Channel_Change",
           "On_Filter_Close", "On_Exit", "On_Hot_Key", "On_Osd_Key", "On_Rec_Play"]
# DLLs every Windows installation has; the runtime must be linked in statically.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "comctl32.dll", "shell32.dll", "ole32.dll",
               "oleaut32.dll", "advapi32.dll", "shlwapi.dll", "comdlg32.dll", "uxtheme.dll", "urlmon.dll"}
# A standard menu template: version 0, header size 0, then each item's flags
# (0x80 on the last), id and text with a zero.
MENU = struct.pack("<HH", 0, 0) + b"".join(
    struct.pack("<HH", flags, command) + (text + "\0").encode("utf-16-le")
    for flags, command, text in [(0, 40065, "Network Search"), (0, 40066, "Web Update"), (0x80, 40068, "About")])
DESCRIPTION = (b"Update one sat by network search, AndOr Web Update to  update 57 TP files "
               b"with single click within your app in just a few seconds.")

pe = pefile.PE(sys.argv[1])
machine = sys.argv[3] if sys.argv[2:3] == ["--machine"] else "i386"
failures = 0


def check(name, got, want):
    global failures
    failures += got != want
    print(("ok   " + name) if got == want else f"FAIL {name}: {got!r}, wanted {want!r}")


def resources(type_name):
    """(name, language, bytes) of each resource of that type."""
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if rtype.id == pefile.RESOURCE_TYPE[type_name]:
            for entry in rtype.directory.entries:
                for lang in entry.directory.entries:
                    data = lang.data.struct
                    yield (str(entry.name) if entry.name else entry.id, lang.id,
                           pe.get_data(data.OffsetToData, data.Size))


check("machine, a DLL", (pe.FILE_HEADER.Machine, pe.is_dll()), ({"i386": 0x14C, "amd64": 0x8664}[machine], True))
exports = pe.DIRECTORY_ENTRY_EXPORT
check("export directory name", pe.get_string_at_rva(exports.struct.Name), b"VelqTpUpdater.dll")
check("exports by name with ordinals 1-9",
      sorted((s.ordinal, s.name and s.name.decode()) for s in exports.symbols), list(enumerate(EXPORTS, 1)))
check("imports beyond Windows' own DLLs",
      sorted({e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT} - SYSTEM_DLLS), [])
check("menu EXTERN, language neutral", list(resources("RT_MENU")), [("EXTERN", 0, MENU)])
check("one version resource", len(list(resources("RT_VERSION"))), 1)
info = pe.VS_FIXEDFILEINFO[0]
check("file and product version 2.2.2.0, file type DLL",
      (info.FileVersionMS, info.FileVersionLS, info.ProductVersionMS, info.ProductVersionLS, info.FileType),
      (0x20002, 0x20000, 0x20002, 0x20000, 2))
tables = [t for fi in pe.FileInfo[0] if fi.Key == b"StringFileInfo" for t in fi.StringTable]
check("one string table 0C0104E8", [t.LangID for t in tables], [b"0C0104E8"])
strings = tables[0].entries if tables else {}
check("internal name, description", (strings.get(b"InternalName"), strings.get(b"FileDescription")),
      (b"Velq Transponders Updater", DESCRIPTION))
check("company and legal texts", all(strings.get(k) for k in (b"CompanyName", b"LegalCopyright")), True)
print(f"{failures} failed" if failures else "all checks passed")
sys.exit(1 if failures else 0)
