#!/usr/bin/env python3
"""Prints the version resource (VERSIONINFO) of a Windows program, one
"key=value" line each: FileVersion# and ProductVersion# from its fixed part
(a.b.c.d), then every string of its StringFileInfo tables. Exit status 1 when
the program has none. Reads the resource as the system does (VS_VERSIONINFO:
length, value length, type, key, padded to 32 bits, value, children).

usage: versioninfo.py PROGRAM.exe"""
import struct
import sys

KEY = "VS_VERSION_INFO".encode("utf-16-le") + b"\0\0"


def block(data, start, base):
    """The block at start: (key, value bytes, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, start)
    end = start + length
    at = start + 6
    key_end = at
    while data[key_end : key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at:key_end].decode("utf-16-le")
    at = align(key_end + 2, base)
    size = value_length * 2 if kind == 1 else value_length
    value = data[at : at + size]
    at = align(at + size, base)
    children = []
    while at < end:
        child = block(data, at, base)
        children.append(child)
        at = align(child[3], base)
    return key, value, children, end


def align(offset, base):
    return base + ((offset - base + 3) & ~3)


def main():
    data = open(sys.argv[1], "rb").read()
    found = data.find(KEY)
    if found < 0:
        print(f"{sys.argv[1]}: no version resource", file=sys.stderr)
        return 1
    start = found - 6
    key, fixed, children, _ = block(data, start, start)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    assert signature == 0xFEEF04BD, "no VS_FIXEDFILEINFO"
    for name, ms, ls in (("FileVersion#", file_ms, file_ls), ("ProductVersion#", product_ms, product_ls)):
        print(f"{name}={ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
    for child in children:
        if child[0] == "StringFileInfo":
            for table in child[2]:
                for name, value, _, _ in table[2]:
                    print(f"{name}={value.decode('utf-16-le').rstrip(chr(0))}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
