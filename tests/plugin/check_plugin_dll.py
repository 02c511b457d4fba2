#!/usr/bin/python3
"""Static checks of the shipped plug-in DLL: what a host sees without running it.

Usage: check_plugin_dll.py PATH/VelqTpUpdater.dll [--machine i386|amd64]
Prints one line per check and exits non-zero when any fails.
"""
import argparse
import struct
import sys

import pefile

EXPORTS = ["On_Send_Dll_ID_Name", "On_Start", "On_Menu_Select", "On_Channel_Change",
           "On_Filter_Close", "On_Exit", "On_Hot_Key", "On_Osd_Key", "On_Rec_Play"]
# DLLs every Windows installation has; the runtime must be linked in statically.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "comctl32.dll",
               "shell32.dll", "ole32.dll", "oleaut32.dll", "advapi32.dll", "shlwapi.dll",
               "comdlg32.dll", "uxtheme.dll", "urlmon.dll"}
MENU_ITEMS = [(0x0000, 40065, "Network Search"), (0x0000, 40066, "Web Update"),
              (0x0080, 40068, "About")]
DESCRIPTION = ("Update one sat by network search, AndOr Web Update to  update 57 TP files "
               "with single click within your app in just a few seconds.")
MACHINES = {"i386": 0x14C, "amd64": 0x8664}

failures = []


def check(name, ok, detail=""):
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else f": {detail}"))
    if not ok:
        failures.append(name)


def resource_entries(pe, type_id):
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if rtype.id == type_id:
            return rtype.directory.entries
    return []


def parse_menu(data):
    """A standard menu template: version 0, header size 0, then items."""
    version, header = struct.unpack_from("<HH", data, 0)
    items, pos = [], 4 + header
    while pos < len(data):
        flags, = struct.unpack_from("<H", data, pos)
        pos += 2
        if flags & 0x10:  # pop-up: no id
            cmd = None
        else:
            cmd, = struct.unpack_from("<H", data, pos)
            pos += 2
        end = data.index(b"\0\0", pos)
        while (end - pos) % 2:
            end = data.index(b"\0\0", end + 1)
        items.append((flags, cmd, data[pos:end].decode("utf-16-le")))
        pos = end + 2
        if flags & 0x80:
            break
    return version, header, items


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("dll")
    ap.add_argument("--machine", default="i386", choices=sorted(MACHINES))
    args = ap.parse_args()
    pe = pefile.PE(args.dll)

    check("machine " + args.machine, pe.FILE_HEADER.Machine == MACHINES[args.machine],
          hex(pe.FILE_HEADER.Machine))
    check("is a DLL", pe.is_dll())

    exp = pe.DIRECTORY_ENTRY_EXPORT
    check("export directory names VelqTpUpdater.dll", pe.get_string_at_rva(exp.struct.Name) ==
          b"VelqTpUpdater.dll", pe.get_string_at_rva(exp.struct.Name))
    got = sorted((s.ordinal, s.name.decode() if s.name else None) for s in exp.symbols)
    want = [(i + 1, n) for i, n in enumerate(EXPORTS)]
    check("exports by name with ordinals 1-9", got == want, got)

    imported = sorted(e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT)
    check("imports only Windows system DLLs", set(imported) <= SYSTEM_DLLS,
          sorted(set(imported) - SYSTEM_DLLS))

    menus = [e for e in resource_entries(pe, pefile.RESOURCE_TYPE["RT_MENU"])
             if e.name is not None and str(e.name) == "EXTERN"]
    check("menu resource EXTERN", len(menus) == 1)
    if menus:
        langs = menus[0].directory.entries
        check("menu is language neutral", [l.id for l in langs] == [0], [l.id for l in langs])
        d = langs[0].data.struct
        version, header, items = parse_menu(pe.get_data(d.OffsetToData, d.Size))
        check("menu template version 0, header 0", (version, header) == (0, 0), (version, header))
        check("menu items 40065, 40066, 40068 (last flagged)", items == MENU_ITEMS, items)

    versions = resource_entries(pe, pefile.RESOURCE_TYPE["RT_VERSION"])
    check("version resource", len(versions) == 1)
    if versions:
        ffi = pe.VS_FIXEDFILEINFO[0]
        fv = (ffi.FileVersionMS >> 16, ffi.FileVersionMS & 0xFFFF,
              ffi.FileVersionLS >> 16, ffi.FileVersionLS & 0xFFFF)
        pv = (ffi.ProductVersionMS >> 16, ffi.ProductVersionMS & 0xFFFF,
              ffi.ProductVersionLS >> 16, ffi.ProductVersionLS & 0xFFFF)
        check("file and product version 2.2.2.0", fv == pv == (2, 2, 2, 0), (fv, pv))
        check("file type DLL", ffi.FileType == 2, ffi.FileType)
        tables = [t for fi in pe.FileInfo[0] if fi.Key == b"StringFileInfo"
                  for t in fi.StringTable]
        check("one string table 0C0104E8", [t.LangID for t in tables] == [b"0C0104E8"],
              [t.LangID for t in tables])
        if tables:
            s = tables[0].entries
            check("internal name", s.get(b"InternalName") == b"Velq Transponders Updater",
                  s.get(b"InternalName"))
            check("file description", s.get(b"FileDescription") == DESCRIPTION.encode(),
                  s.get(b"FileDescription"))
            check("company and legal texts", bool(s.get(b"CompanyName")) and
                  bool(s.get(b"LegalCopyright")))

    print(f"{len(failures)} failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
