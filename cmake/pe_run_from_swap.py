#!/usr/bin/env python3
"""Marks a linked Windows program to be copied to the page file before it runs
when it is started from removable media or from the network.

Windows pages a program's code in from the file it was started from. For a
program on a disc that is ejected, or on a share that goes away, those pages
are gone and the process dies on its next page fault; the eject is the very
event the popup waits for. GNU ld has no switch for these two header bits, so
the build sets them after linking. The header checksum, which ld fills in, is
recomputed so that it still matches the file; the result depends only on the
input bytes, so reproducible builds stay reproducible.

Usage: pe_run_from_swap.py PROGRAM.exe   (changes the file in place)
"""
import struct
import sys

REMOVABLE_RUN_FROM_SWAP = 0x0400
NET_RUN_FROM_SWAP = 0x0800


def pe_checksum(image, checksum_offset):
    """The checksum the Windows loader and signing tools compare: the 16-bit
    one's-complement style sum of the file with the field itself as zero,
    plus the file's length."""
    total = 0
    padded = image + b"\0" if len(image) % 2 else image
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
    # The field's own two words are counted as zero.
    total -= struct.unpack_from("<H", image, checksum_offset)[0]
    total -= struct.unpack_from("<H", image, checksum_offset + 2)[0]
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def main(path):
    with open(path, "rb") as f:
        image = bytearray(f.read())
    if image[:2] != b"MZ" or len(image) < 0x40:
        sys.exit(f"{path}: not a Windows program (no MZ header)")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a Windows program (no PE header)")
    characteristics_offset = pe + 4 + 18
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] not in (0x10B, 0x20B):
        sys.exit(f"{path}: unknown optional header")
    checksum_offset = optional + 64

    characteristics = struct.unpack_from("<H", image, characteristics_offset)[0]
    struct.pack_into("<H", image, characteristics_offset,
                     characteristics | REMOVABLE_RUN_FROM_SWAP | NET_RUN_FROM_SWAP)
    # A zero checksum means "not computed" and stays so.
    if struct.unpack_from("<I", image, checksum_offset)[0] != 0:
        struct.pack_into("<I", image, checksum_offset, pe_checksum(bytes(image), checksum_offset))

    with open(path, "r+b") as f:
        f.write(image)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    main(sys.argv[1])
