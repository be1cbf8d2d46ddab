#!/usr/bin/env python3
"""What each part of an executable contributes, from the GNU linker's map file.

    size_breakdown.py LINKER_MAP EXE

Sums the input sections kept in the image (code, data, read-only data, unwind tables; .bss takes
no room in the file) by where they came from: our own code, the embedded WebView2 bootstrapper,
libsodium, libstdc++, libgcc and the MinGW-w64 runtime with winpthreads, and the
compiled resources; the rest of the file is headers, import tables, relocations and alignment.
"""
import os
import re
import sys

PARTS = [
    ("our code", None),
    ("embedded WebView2 bootstrapper", re.compile(r"embedded_bootstrapper\.cpp\.obj")),
    ("libsodium", re.compile(r"libsodium\.a\(")),
    ("libstdc++", re.compile(r"libstdc\+\+\.a\(|libsupc\+\+\.a\(")),
    ("libgcc, MinGW-w64 runtime, winpthreads",
     re.compile(r"/(libgcc|libgcc_eh|libmingw32|libmingwex|libmsvcrt|libpthread|libwinpthread|"
                r"libmoldname|crt2|crtbegin|crtend|dllcrt2|libkernel32)[^/]*\.(a|o)")),
    ("import stubs of Windows DLLs", re.compile(r"/lib(?!sodium|stdc)[a-z0-9_]+\.a\(")),
    ("resources", re.compile(r"\.res$|\.rc\.res")),
]
OUR = re.compile(r"libborelu_|CMakeFiles/|\.obj$")
KEPT = re.compile(r"^\.(text|data|rdata|pdata|xdata|eh_frame|rsrc|tls|CRT|ctors|dtors)")


def classify(origin):
    for name, pattern in PARTS[1:]:
        if pattern.search(origin):
            return name
    if OUR.search(origin):
        return "our code"
    return "other"


def main():
    map_path, exe = sys.argv[1], sys.argv[2]
    sizes = {}
    in_map = False
    pending = None
    with open(map_path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            if line.startswith("Linker script and memory map"):
                in_map = True
                continue
            if not in_map:
                continue
            # " .section  0xADDRESS  0xSIZE origin", or the section name alone on its line and
            # the rest on the next.
            m = re.match(r"^ (\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if m:
                section, size, origin = m.group(1), int(m.group(3), 16), m.group(4).strip()
            elif pending and (m := re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)):
                section, size, origin = pending, int(m.group(2), 16), m.group(3).strip()
            else:
                m = re.match(r"^ (\.\S+)\s*$", line)
                pending = m.group(1) if m else None
                continue
            pending = None
            if size == 0 or not KEPT.match(section):
                continue
            part = classify(origin)
            sizes[part] = sizes.get(part, 0) + size
    total = os.path.getsize(exe)
    counted = sum(sizes.values())
    sizes["headers, import tables, relocations, alignment"] = total - counted
    boot = sizes.get("embedded WebView2 bootstrapper", 0)
    print(f"{exe}: {total} bytes ({total / 1048576:.2f} MiB)")
    print(f"  without the embedded bootstrapper: {total - boot} bytes ({(total - boot) / 1048576:.2f} MiB)")
    for name, size in sorted(sizes.items(), key=lambda item: -item[1]):
        print(f"  {name:48} {size:9} bytes  {size / 1024:8.1f} KiB")


if __name__ == "__main__":
    main()
