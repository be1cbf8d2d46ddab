#!/usr/bin/env python3
"""Proves the premise of the failure classifier's lower-casing: under full Unicode lower-case
mapping, the only characters whose lower case contains an ASCII letter are A-Z, U+0130 and U+212A.
(Python's str.lower applies the full mappings of the Unicode database.)"""
import sys

found = sorted(cp for cp in range(0x110000)
               if not 0xD800 <= cp <= 0xDFFF and any("a" <= c <= "z" for c in chr(cp).lower()))
expected = list(range(ord("A"), ord("Z") + 1)) + list(range(ord("a"), ord("z") + 1)) + [0x130, 0x212A]
if found != sorted(expected):
    print("unexpected:", [hex(c) for c in sorted(set(found) ^ set(expected))])
    sys.exit(1)
print("only A-Z, a-z, U+0130 and U+212A lower-case to ASCII letters (Unicode", __import__("unicodedata").unidata_version + ")")
