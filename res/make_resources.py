#!/usr/bin/env python3
"""Turns the text art in res/art/ into Corvane's icon, cursor and logo.

Usage: python3 res/make_resources.py OUTDIR [--png]

Writes corvane.ico, hand.cur, qrn.bmp and the compacted manifest.xml into
OUTDIR (created if missing).
With --png it also writes enlarged *-preview.png files there, so a change to
the art can be looked at without a Windows machine; the previews are for
people only and are never compiled into the program.

The output depends on nothing but the art files, so every run produces the
same bytes and the build can regenerate the binaries instead of keeping them
in the repository.
"""

import os
import re
import struct
import sys
import zlib

ART_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "art")

# The 16 colours every Windows display has had since the VGA days, in the
# order the system palette uses. Sticking to them keeps 4-bit images looking
# the same on any display depth.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
MONO = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]

# Legend words for pixels that are not a palette colour. Only icons and
# cursors have a mask, so only they may use these.
TRANSPARENT = "transparent"
INVERT = "invert"

ICON_ART = [("icon32.txt", 32), ("icon16.txt", 16)]
CURSOR_ART = "hand.txt"
CURSOR_SIZE = 32
# Windows clicks with this pixel, so it has to be the tip of the index finger.
CURSOR_HOTSPOT = (11, 0)
LOGO_ART = "logo.txt"
LOGO_SIZE = (89, 75)

BI_RGB = 0
BI_RLE4 = 2
PELS_PER_METRE_96DPI = 3780


class ArtError(Exception):
    pass


def parse_art(path, width, height, palette_size, masked):
    """Reads one art file and returns `height` rows of `width` pixel values.

    A value is a palette index, or TRANSPARENT / INVERT for masked images.
    Any mistake in the file stops the build: a picture that is silently
    cropped or shifted would only be noticed on screen, if at all.

    File layout: '#' comment lines, a 'legend:' line followed by lines of
    'CHAR VALUE [remark]', then a 'pixels:' line followed by exactly `height`
    rows of exactly `width` characters.
    """
    with open(path, "r", encoding="ascii") as f:
        lines = f.read().split("\n")

    def fail(lineno, msg):
        raise ArtError("%s:%d: %s" % (path, lineno, msg))

    legend = {}
    rows = []
    section = None
    gap_after_rows = False
    for lineno, raw in enumerate(lines, 1):
        line = raw.rstrip("\r")
        if section != "pixels":
            stripped = line.strip()
            if not stripped or stripped.startswith("#"):
                continue
            if stripped == "legend:":
                if section is not None:
                    fail(lineno, "'legend:' must come first and only once")
                section = "legend"
                continue
            if stripped == "pixels:":
                if section != "legend":
                    fail(lineno, "'pixels:' must follow the legend")
                section = "pixels"
                continue
            if section != "legend":
                fail(lineno, "expected 'legend:' before anything else")
            parts = stripped.split()
            if len(parts[0]) != 1 or len(parts) < 2:
                fail(lineno, "legend lines are 'CHAR VALUE [remark]'")
            char, word = parts[0], parts[1]
            if char in legend:
                fail(lineno, "character %r is in the legend twice" % char)
            if word in (TRANSPARENT, INVERT):
                if not masked:
                    fail(lineno, "%s needs a mask, which this image has not" % word)
                legend[char] = word
            else:
                try:
                    index = int(word)
                except ValueError:
                    fail(lineno, "%r is neither a palette index nor %s/%s"
                         % (word, TRANSPARENT, INVERT))
                if not 0 <= index < palette_size:
                    fail(lineno, "palette index %d is outside 0..%d"
                         % (index, palette_size - 1))
                legend[char] = index
            continue

        # Pixel rows: blank lines are only allowed after the last row.
        if line == "":
            gap_after_rows = bool(rows)
            continue
        if gap_after_rows:
            fail(lineno, "blank line inside the pixel rows")
        if len(rows) == height:
            fail(lineno, "more than %d pixel rows" % height)
        if len(line) != width:
            fail(lineno, "row is %d pixels wide, expected %d" % (len(line), width))
        row = []
        for col, char in enumerate(line):
            if char not in legend:
                fail(lineno, "column %d: %r is not in the legend" % (col, char))
            row.append(legend[char])
        rows.append(row)

    if section != "pixels":
        raise ArtError("%s: no 'pixels:' section" % path)
    if len(rows) != height:
        raise ArtError("%s: %d pixel rows, expected %d" % (path, len(rows), height))
    return rows


def load_art(name, width, height, palette_size, masked):
    return parse_art(os.path.join(ART_DIR, name), width, height, palette_size, masked)


def pack_rows(rows, bpp):
    """Packs rows of small integers bottom-up, each row padded to 4 bytes,
    the first pixel in the most significant bits of a byte."""
    per_byte = 8 // bpp
    out = bytearray()
    for row in reversed(rows):
        packed = bytearray()
        for start in range(0, len(row), per_byte):
            byte = 0
            chunk = row[start:start + per_byte]
            for i, value in enumerate(chunk):
                byte |= value << (8 - bpp * (i + 1))
            packed.append(byte)
        packed.extend(b"\0" * (-len(packed) % 4))
        out += packed
    return bytes(out)


def colour_table(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)


def info_header(width, height, bpp, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, BI_RGB,
                       image_size, 0, 0, colours, 0)


def masked_dib(rows, palette, bpp):
    """The image block of an icon or cursor: a DIB twice as high as the
    picture, holding the colour (XOR) bits followed by the 1-bit AND mask."""
    height = len(rows)
    width = len(rows[0])
    xor_rows, and_rows = [], []
    for row in rows:
        xr, ar = [], []
        for v in row:
            if v == TRANSPARENT:
                xr.append(0)
                ar.append(1)
            elif v == INVERT:
                # AND 1 keeps the screen, XOR with all ones flips it.
                xr.append(len(palette) - 1)
                ar.append(1)
            else:
                xr.append(v)
                ar.append(0)
        xor_rows.append(xr)
        and_rows.append(ar)
    xor_bits = pack_rows(xor_rows, bpp)
    and_bits = pack_rows(and_rows, 1)
    header = info_header(width, height * 2, bpp, len(xor_bits) + len(and_bits), 0)
    return header + colour_table(palette) + xor_bits + and_bits


def icon_container(resource_type, entries):
    """ICO/CUR file. `entries` are (width, height, colours, field1, field2,
    dib); the two fields are planes/bit count for icons and the hot spot for
    cursors."""
    out = struct.pack("<HHH", 0, resource_type, len(entries))
    offset = 6 + 16 * len(entries)
    blobs = []
    for width, height, colours, field1, field2, dib in entries:
        out += struct.pack("<BBBBHHII", width % 256, height % 256, colours % 256, 0,
                           field1, field2, len(dib), offset)
        offset += len(dib)
        blobs.append(dib)
    return out + b"".join(blobs)


def make_icon(images):
    entries = []
    for rows in images:
        size = len(rows)
        entries.append((size, size, 16, 1, 4, masked_dib(rows, VGA16, 4)))
    return icon_container(1, entries)


def make_cursor(rows, hotspot):
    x, y = hotspot
    if rows[y][x] == TRANSPARENT:
        raise ArtError("%s: hot spot (%d,%d) is on a transparent pixel"
                       % (CURSOR_ART, x, y))
    size = len(rows)
    return icon_container(2, [(size, size, 2, x, y, masked_dib(rows, MONO, 1))])


def rle4_rows(rows):
    """Run-length encodes rows of 4-bit pixels bottom-up, as the system's
    BI_RLE4 decoder reads them: a run of one colour as (count, colour twice),
    a stretch of changing pixels in absolute mode (0, count, pixels padded to
    a word), each row closed by (0, 0) and the picture by (0, 1). The logo is
    mostly one colour: this takes it from 3,600 bytes to about 1,500, which
    the program's size limit needs."""
    out = bytearray()
    for row in reversed(rows):
        i, n = 0, len(row)
        while i < n:
            j = i
            while j < n and row[j] == row[i] and j - i < 255:
                j += 1
            if j - i >= 3 or j == n:
                out += bytes([j - i, (row[i] << 4) | row[i]])
                i = j
                continue
            # Changing pixels up to where a run of four or more starts.
            k = i
            while k < n and k - i < 255:
                r = k
                while r < n and row[r] == row[k]:
                    r += 1
                if r - k >= 4:
                    break
                k = r
            k = min(k, i + 255)
            if k - i < 3:
                for p in range(i, k):
                    out += bytes([1, row[p] << 4])
                i = k
                continue
            packed = bytearray((row[p] << 4) | (row[p + 1] if p + 1 < k else 0) for p in range(i, k, 2))
            packed.extend(b"\0" * (len(packed) % 2))
            out += bytes([0, k - i]) + packed
            i = k
        out += b"\0\0"
    out[-2:] = b"\0\1"
    return bytes(out)


def make_bitmap(rows):
    width, height = len(rows[0]), len(rows)
    bits = rle4_rows(rows)
    table = colour_table(VGA16)
    offset = 14 + 40 + len(table)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, BI_RLE4, len(bits),
                         PELS_PER_METRE_96DPI, PELS_PER_METRE_96DPI, 16, 0)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return file_header + header + table + bits


MANIFEST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corvane.manifest")


def compact_manifest(text):
    """The manifest as the program carries it: without the comments that say
    why each element is there, and without the blanks between elements. The
    program's size limit leaves no room for the prose; the source keeps it."""
    text = re.sub(r"<!--.*?-->", "", text, flags=re.S)
    text = re.sub(r">\s+<", "><", text.strip())
    return text.encode("utf-8")


def build():
    """Returns {file name: bytes} for everything the program links in."""
    icons = [load_art(name, size, size, 16, True) for name, size in ICON_ART]
    hand = load_art(CURSOR_ART, CURSOR_SIZE, CURSOR_SIZE, 2, True)
    logo = load_art(LOGO_ART, LOGO_SIZE[0], LOGO_SIZE[1], 16, False)
    with open(MANIFEST, "r", encoding="utf-8") as f:
        manifest = compact_manifest(f.read())
    return {
        "corvane.ico": make_icon(icons),
        "hand.cur": make_cursor(hand, CURSOR_HOTSPOT),
        "qrn.bmp": make_bitmap(logo),
        "manifest.xml": manifest,
    }, {"icon32": (icons[0], VGA16), "icon16": (icons[1], VGA16),
        "hand": (hand, MONO), "logo": (logo, VGA16)}


# --- previews ---------------------------------------------------------------

def write_png(path, pixels):
    """Minimal 8-bit RGB PNG writer; `pixels` is a list of rows of (r,g,b)."""
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9))
           + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def preview(rows, palette, scale, backgrounds):
    """Draws the picture enlarged once per background colour, side by side,
    so transparency shows against both light and dark title bars."""
    out = []
    for y in range(len(rows) * scale):
        line = []
        for bg in backgrounds:
            for x in range(len(rows[0]) * scale):
                v = rows[y // scale][x // scale]
                if v == TRANSPARENT:
                    line.append(bg)
                elif v == INVERT:
                    line.append(tuple(255 - c for c in bg))
                else:
                    line.append(palette[v])
            line.extend([(255, 0, 255)] * 2)
        out.append(line[:-2])
    return out


def write_previews(outdir, pictures):
    light, dark, blue = (240, 240, 240), (32, 32, 32), (0, 84, 166)
    for name, (rows, palette) in sorted(pictures.items()):
        scale = 4 if name == "logo" else 8
        bgs = [light] if name == "logo" else [light, dark, blue]
        write_png(os.path.join(outdir, name + "-preview.png"),
                  preview(rows, palette, scale, bgs))


def main(argv):
    args = [a for a in argv[1:] if a != "--png"]
    if len(args) != 1:
        sys.stderr.write("usage: %s OUTDIR [--png]\n" % argv[0])
        return 2
    outdir = args[0]
    try:
        files, pictures = build()
    except (ArtError, OSError, UnicodeDecodeError) as e:
        sys.stderr.write("make_resources: %s\n" % e)
        return 1
    os.makedirs(outdir, exist_ok=True)
    for name, data in sorted(files.items()):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
    if "--png" in argv[1:]:
        write_previews(outdir, pictures)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
