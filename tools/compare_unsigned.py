#!/usr/bin/env python3
"""Whether a signed executable is a given unsigned one with only an Authenticode signature added.

  compare_unsigned.py UNSIGNED.exe SIGNED.exe

Signing changes exactly these bytes of a PE32+ image: the image checksum, the security entry of
the data directories (where the signature lies), zero bytes that align the signature, and the
signature appended at the end. Everything else must be equal, so that a release anyone rebuilt
from source can be compared with the signed file users download. Prints one line; exit 0 when
they match, 1 when they do not.
"""

import struct
import sys


def main():
    unsigned, signed = (open(path, "rb").read() for path in sys.argv[1:3])
    optional = struct.unpack_from("<I", unsigned, 0x3C)[0] + 24
    if unsigned[optional:optional + 2] != b"\x0b\x02":
        print("not a PE32+ image")
        return 1
    security = optional + 112 + 4 * 8
    offset, size = struct.unpack_from("<II", signed, security)
    ignored = [(optional + 64, optional + 68), (security, security + 8)]

    def blanked(data):
        data = bytearray(data[:len(unsigned)])
        for start, end in ignored:
            data[start:end] = bytes(end - start)
        return data

    padding = signed[len(unsigned):offset]
    if (size == 0 or offset + size != len(signed) or offset < len(unsigned)
            or padding != bytes(len(padding)) or blanked(signed) != blanked(unsigned)):
        print(f"{sys.argv[2]} is not {sys.argv[1]} with a signature added")
        return 1
    print(f"{sys.argv[2]} is {sys.argv[1]} with a signature of {size} bytes added")
    return 0


if __name__ == "__main__":
    sys.exit(main())
