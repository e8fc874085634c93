#!/usr/bin/env python3
"""Writes the starting packages of fuzz/corpus/: whole ones, cut ones and hostile
ones, each a few bytes to a few KiB. Run it again after changing it and commit
what it writes; files it does not write (kept findings) are left alone.

Seeds named "long-*" hold runs in short form, FB FB, a byte and a 16-bit
little-endian count, which the fuzz targets also try expanded; they make
packages of more than 64 KiB (the reader's read-ahead) and members of more
than 256 KiB (copied file to file) out of a few bytes.

A package: the member count as text and 0x00, then each member's contents as a
32-bit little-endian length and the bytes, then each member's name and 0x00,
then the marker bytes and 0x00.
"""
import os
import struct

MARKER = b"\xD7\xF7\xD5\xDF:Tenvari\x00"
HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def package(members, count=None, marker=True):
    """members: (name, contents) pairs, both bytes; count: the count text to
    store instead of the real one."""
    out = (str(len(members)).encode() if count is None else count) + b"\x00"
    for _, contents in members:
        out += struct.pack("<I", len(contents)) + contents
    for name, _ in members:
        out += name + b"\x00"
    if marker:
        out += MARKER
    return out


def run(byte, count):
    """`count` copies of `byte`, in short form."""
    out = b""
    while count > 0:
        n = min(count, 0xFFFF)
        out += b"\xFB\xFB" + bytes([byte]) + struct.pack("<H", n)
        count -= n
    return out


def long_package(members, count=None, marker=True):
    """members: (name, contents, extra) where `extra` copies of "q" follow the
    contents in short form and count in the stored length."""
    out = (str(len(members)).encode() if count is None else count) + b"\x00"
    for _, contents, extra in members:
        out += struct.pack("<I", len(contents) + extra) + contents + run(ord("q"), extra)
    for name, _, _ in members:
        out += name + b"\x00"
    if marker:
        out += MARKER
    return out


TWO = [(b"a.txt", b"abc"), (b"b.bin", b"\x00\x01\x02\xff")]
WHOLE = package(TWO)

SEEDS = {
    # Whole packages.
    "valid-empty": package([]),
    "valid-one": package([(b"hello.txt", b"hello, world\n")]),
    "valid-several": package([(b"a.txt", b"abc"), (b"b.bin", bytes(range(256))), (b"c", b"c" * 100),
                              (b"\xe6\xb5\x8b\xe8\xaf\x95.txt", "中文内容".encode())]),
    "valid-duplicate-names": package([(b"a", b"first"), (b"a", b"second"), (b"b", b""), (b"a", b"third")]),
    "valid-empty-members": package([(b"e1", b""), (b"e2", b""), (b"e3", b"")]),
    "valid-no-marker": package(TWO, marker=False),
    "valid-full-width-count": package(TWO, count=b"\xA3\xB2"),
    "valid-count-with-blanks-and-fraction": package(TWO, count=b"  2.9abc"),
    "valid-gbk-names": package([(b"\xb2\xe2\xca\xd4.txt", b"gbk"), (b"\xd6\xd0\xce\xc4", b"x")]),
    "valid-only-count": b"0\x00",
    "valid-empty-count-text": b"\x00",
    "valid-large-member": package([(b"big", bytes((i * 7) & 0xFF for i in range(3000)))]),
    # Cut short.
    "truncated-empty-file": b"",
    "truncated-count-only-no-zero": b"2",
    "truncated-in-length": WHOLE[:4],
    "truncated-in-contents": WHOLE[:8],
    "truncated-in-names": WHOLE[:WHOLE.index(b"b.bin") + 2],
    "truncated-before-last-zero": package(TWO, marker=False)[:-1],
    "truncated-in-marker": WHOLE[:-5],
    # Hostile counts.
    "hostile-count-huge": package(TWO, count=b"99999999999"),
    "hostile-count-int-max": package(TWO, count=b"2147483647"),
    "hostile-count-int-max-plus-one": package(TWO, count=b"2147483648"),
    "hostile-count-negative": package(TWO, count=b"-2"),
    "hostile-count-negative-fraction": package(TWO, count=b"-0.5"),
    "hostile-count-not-a-number": package(TWO, count=b"two"),
    "hostile-count-exponent": package(TWO, count=b"2e0"),
    "hostile-count-exponent-huge": package(TWO, count=b"1e99999999999999999999"),
    "hostile-count-more-than-room": package(TWO, count=b"1000"),
    "hostile-count-more-than-stored": package(TWO, count=b"3"),
    "hostile-count-fewer-than-stored": package(TWO, count=b"1"),
    # Hostile names.
    "hostile-names": package([(b"../x", b"up"), (b"/tmp/x", b"absolute"), (b"a/b", b"sub"), (b".", b"dot"),
                              (b"..", b"dotdot"), (b"", b"empty"), (b"../out/escape", b"back in"),
                              (b"fine", b"good")]),
    "hostile-name-dotdot-x": package([(b"../x", b"up")]),
    "hostile-name-absolute": package([(b"/tmp/x", b"absolute")]),
    "hostile-name-subfolder": package([(b"a/b", b"sub")]),
    "hostile-name-dot": package([(b".", b"dot")]),
    "hostile-name-dotdot": package([(b"..", b"dotdot")]),
    "hostile-name-empty": package([(b"", b"empty")]),
    "hostile-name-too-long": package([(b"n" * 300, b"long")]),
    "hostile-name-trailing-slash": package([(b"x/", b"slash")]),
    "hostile-name-package-itself": package([(b"../package.ZVK", b"over the input")]),
    # Lengths that do not fit.
    "hostile-length-past-end": b"1\x00" + struct.pack("<I", 100) + b"short" + b"n\x00" + MARKER,
    "hostile-length-max": b"1\x00" + struct.pack("<I", 0xFFFFFFFF) + b"n\x00" + MARKER,
    "hostile-length-into-names": b"2\x00" + struct.pack("<I", 3) + b"abc" + struct.pack("<I", 6) + b"a\x00b\x00",
    "hostile-marker-missing-names-unterminated": b"1\x00" + struct.pack("<I", 1) + b"z" + b"name-without-zero",
    "hostile-marker-wrong": package(TWO, marker=False) + b"not the marker\x00",
    "hostile-trailing-garbage": WHOLE + b"\xff" * 64,
    # Long forms (expanded by the targets).
    "long-member-past-read-ahead": long_package([(b"a", b"head", 70000), (b"b", b"tail", 5)]),
    "long-member-ends-at-read-ahead": long_package([(b"a", b"", 65536 - 2 - 4)]),
    "long-members-straddle-read-ahead": long_package([(b"m%d" % i, b"", 16000) for i in range(6)]),
    "long-member-copied-file-to-file": long_package([(b"big", b"x", 400000), (b"small", b"s", 0)]),
    "long-name-at-text-limit": b"1\x00" + struct.pack("<I", 1) + b"z" + run(ord("n"), 65536) + b"\x00" + MARKER,
    "long-name-past-text-limit": b"1\x00" + struct.pack("<I", 1) + b"z" + run(ord("n"), 65537) + b"\x00" + MARKER,
    "long-count-text-past-text-limit": run(ord("0"), 65536) + b"1\x00" + struct.pack("<I", 1) + b"z" + b"n\x00",
    "long-length-past-end": b"1\x00" + struct.pack("<I", 70001) + run(ord("q"), 70000) + b"n\x00",
}


def main():
    os.makedirs(CORPUS, exist_ok=True)
    for name, data in sorted(SEEDS.items()):
        with open(os.path.join(CORPUS, name), "wb") as f:
            f.write(data)
    print(f"{len(SEEDS)} seeds in {CORPUS}")


if __name__ == "__main__":
    main()
