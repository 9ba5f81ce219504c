#!/usr/bin/env python3
"""The Windows programs as Windows loads them, read from their PE headers:
address-space randomisation (64-bit, with the relocations it needs), no
execution of data, the subsystem (velmora.exe windowed, the tools console
programs), and the resources each carries: a manifest that declares
per-monitor DPI awareness, UTF-8 and long paths, an icon, and the project's
version.

    windows_headers_test.py VERSION velmora.exe velmora-send.exe velmora-decode.exe
"""
import os
import sys

import pefile

WINDOWED = {"velmora.exe"}
MANIFEST_MUST_SAY = [b"PerMonitorV2", b"<activeCodePage", b">UTF-8<", b"<longPathAware", b">true<",
                     b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", b'level="asInvoker"']


def resources(pe):
    """{type id: [data bytes, ...]} of the resource tree."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                d = lang.data.struct
                found.setdefault(kind.id, []).append(pe.get_data(d.OffsetToData, d.Size))
    return found


def check(path, version):
    problems = []
    name = os.path.basename(path)
    pe = pefile.PE(path)
    oh = pe.OPTIONAL_HEADER
    flags = oh.DllCharacteristics
    for bit, what in [(0x0040, "DYNAMIC_BASE (ASLR)"), (0x0020, "HIGH_ENTROPY_VA"), (0x0100, "NX_COMPAT (DEP)")]:
        if not flags & bit:
            problems.append(f"{name}: {what} is off")
    reloc = oh.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    if reloc.Size == 0:
        problems.append(f"{name}: no relocations, so Windows cannot move it for ASLR")
    want = 2 if name in WINDOWED else 3  # IMAGE_SUBSYSTEM_WINDOWS_GUI / _CUI
    if oh.Subsystem != want:
        problems.append(f"{name}: subsystem {oh.Subsystem}, expected {want}")

    res = resources(pe)
    manifests = res.get(pefile.RESOURCE_TYPE["RT_MANIFEST"], [])
    if len(manifests) != 1:
        problems.append(f"{name}: {len(manifests)} manifests, expected one")
    else:
        for text in MANIFEST_MUST_SAY:
            if text not in manifests[0]:
                problems.append(f"{name}: the manifest lacks {text.decode()}")
    icons = res.get(pefile.RESOURCE_TYPE["RT_ICON"], [])
    if len(icons) < 4 or not res.get(pefile.RESOURCE_TYPE["RT_GROUP_ICON"]):
        problems.append(f"{name}: {len(icons)} icon sizes")
    pe.parse_data_directories()
    strings = {}
    for info in getattr(pe, "FileInfo", []) or []:
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    if strings.get("ProductVersion") != version or strings.get("OriginalFilename") != name:
        problems.append(f"{name}: version information {strings}")
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    parts = [int(p) for p in (version.split(".") + ["0"] * 4)[:4]]
    if not fixed or [fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                     fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF] != parts:
        problems.append(f"{name}: the fixed file version is not {version}")
    return problems


def main():
    version, programs = sys.argv[1], sys.argv[2:]
    problems = [p for path in programs for p in check(path, version)]
    for p in problems:
        print(p)
    if not problems:
        print(f"ok: {len(programs)} programs")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
