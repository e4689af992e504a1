#!/usr/bin/env python3
"""Checks the generated icon, cursor and logo byte by byte, and that the
resource script compiles with them.

Run: python3 -m unittest discover -s res -p 'test_*.py'

The decoding here is written separately from make_resources.py, straight from
the file formats, so a mistake in the encoder (row order, nibble order, mask
polarity, padding) shows up as a mismatch with the art instead of cancelling
out.
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "make_resources.py")


# Windows' 16-colour system palette as RGB, written out independently of the
# script's table.
EXPECTED_VGA = [
    "000000", "800000", "008000", "808000", "000080", "800080", "008080", "c0c0c0",
    "808080", "ff0000", "00ff00", "ffff00", "0000ff", "ff00ff", "00ffff", "ffffff",
]


def read_art(name):
    """Minimal reader of an art file: legend chars to values, then rows."""
    legend, rows, in_pixels = {}, [], False
    with open(os.path.join(HERE, "art", name)) as f:
        for line in f.read().splitlines():
            if in_pixels:
                if line:
                    rows.append([legend[c] for c in line])
            elif line.strip() == "pixels:":
                in_pixels = True
            elif line and not line.startswith("#") and line != "legend:":
                char, value = line.split()[:2]
                legend[char] = value if value in ("transparent", "invert") else int(value)
    return rows


def run_script(outdir, script=SCRIPT, extra=()):
    return subprocess.run([sys.executable, script, outdir] + list(extra),
                          capture_output=True, text=True)


def palette_hex(data, offset, count):
    return ["%02x%02x%02x" % (data[offset + 4 * i + 2], data[offset + 4 * i + 1],
                              data[offset + 4 * i]) for i in range(count)]


def bits_at(data, offset, width, height, bpp):
    """Decodes a bottom-up DIB pixel array into top-down rows of integers,
    and returns the bits left over in each row's padding."""
    stride = ((width * bpp + 31) // 32) * 4
    rows, padding = [], []
    for y in range(height):
        line = data[offset + (height - 1 - y) * stride:offset + (height - y) * stride]
        as_int = int.from_bytes(line, "big")
        total = stride * 8
        rows.append([(as_int >> (total - bpp * (x + 1))) & ((1 << bpp) - 1)
                     for x in range(width)])
        padding.append(as_int & ((1 << (total - width * bpp)) - 1))
    return rows, padding, stride


def decode_rle4(data, width, height):
    """Decodes BI_RLE4 as the system does, written apart from the encoder:
    rows bottom-up, (count, two colours alternating), (0, 0) end of row,
    (0, 1) end of picture, (0, n >= 3) n pixels in absolute mode padded to a
    word. Returns rows top-down of palette indices; a row left short fails."""
    rows, row, i = [], [], 0
    while True:
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            row += [(value >> 4) if k % 2 == 0 else (value & 15) for k in range(count)]
        elif value in (0, 1):
            if len(row) != width:
                raise AssertionError("row %d has %d pixels" % (len(rows), len(row)))
            rows.append(row)
            row = []
            if value == 1:
                break
        elif value == 2:
            raise AssertionError("delta records are not used")
        else:
            nbytes = (value + 1) // 2
            packed = data[i:i + nbytes]
            row += [(packed[k // 2] >> 4) if k % 2 == 0 else (packed[k // 2] & 15) for k in range(value)]
            i += nbytes + (nbytes % 2)
    if i != len(data) or len(rows) != height:
        raise AssertionError("run-length data ends at %d of %d, %d rows" % (i, len(data), len(rows)))
    return list(reversed(rows))


def decode_masked(data, offset, size, bpp):
    """Decodes one icon/cursor image into art values."""
    hdr = struct.unpack_from("<IiiHHIIiiII", data, offset)
    (hsize, w, h2, planes, bitcount, compression, _, _, _, used, _) = hdr
    assert (hsize, w, h2, planes, bitcount, compression) == (40, size, 2 * size, 1, bpp, 0), hdr
    colours = used or (1 << bpp)
    table = offset + 40
    xor, xpad, xstride = bits_at(data, table + 4 * colours, size, size, bpp)
    and_, apad, astride = bits_at(data, table + 4 * colours + xstride * size, size, size, 1)
    assert not any(xpad) and not any(apad), "non-zero padding"
    end = table + 4 * colours + (xstride + astride) * size
    values = []
    for xr, ar in zip(xor, and_):
        row = []
        for x, a in zip(xr, ar):
            if a == 0:
                row.append(x)
            elif x == 0:
                row.append("transparent")
            elif x == (1 << bpp) - 1:
                row.append("invert")
            else:
                raise AssertionError("masked pixel with colour %d" % x)
        values.append(row)
    return values, palette_hex(data, table, colours), end


class GeneratedFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        result = run_script(cls.tmp)
        if result.returncode != 0:
            raise AssertionError("make_resources failed: " + result.stderr)
        cls.files = {}
        for name in ("corvane.ico", "hand.cur", "qrn.bmp", "manifest.xml"):
            with open(os.path.join(cls.tmp, name), "rb") as f:
                cls.files[name] = f.read()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def test_icon_has_32_and_16_pixel_4_bit_images_matching_the_art(self):
        data = self.files["corvane.ico"]
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, 2))
        for i, (size, art) in enumerate([(32, "icon32.txt"), (16, "icon16.txt")]):
            w, h, colours, res, planes, bitcount, length, offset = \
                struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
            self.assertEqual((w, h, colours, res, planes, bitcount), (size, size, 16, 0, 1, 4))
            self.assertLessEqual(offset + length, len(data))
            pixels, palette, end = decode_masked(data, offset, size, 4)
            self.assertEqual(end, offset + length, "entry size does not match image")
            self.assertEqual(palette, EXPECTED_VGA)
            self.assertEqual(pixels, read_art(art))
            # A round picture: the corners must let the title bar show through.
            for x, y in ((0, 0), (size - 1, 0), (0, size - 1)):
                self.assertEqual(pixels[y][x], "transparent", (art, x, y))
        self.assertEqual(offset + length, len(data), "trailing bytes after last image")

    def test_cursor_is_32_pixel_monochrome_with_hot_spot_on_fingertip(self):
        data = self.files["hand.cur"]
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 2, 1))
        w, h, colours, res, hx, hy, length, offset = struct.unpack_from("<BBBBHHII", data, 6)
        self.assertEqual((w, h, res), (32, 32, 0))
        self.assertEqual((hx, hy), (11, 0))
        self.assertEqual(offset + length, len(data))
        pixels, palette, end = decode_masked(data, offset, 32, 1)
        self.assertEqual(end, len(data))
        self.assertEqual(palette, ["000000", "ffffff"])
        self.assertEqual(pixels, read_art("hand.txt"))
        self.assertNotEqual(pixels[0][11], "transparent")
        # The fingertip is the highest point: nothing above or beside it.
        self.assertEqual([x for x, v in enumerate(pixels[0]) if v != "transparent"], [11, 12])

    def test_logo_is_89_by_75_4_bit_run_length_bmp_matching_the_art(self):
        data = self.files["qrn.bmp"]
        magic, file_size, r1, r2, offset = struct.unpack_from("<2sIHHI", data, 0)
        self.assertEqual((magic, file_size, r1, r2), (b"BM", len(data), 0, 0))
        hdr = struct.unpack_from("<IiiHHIIiiII", data, 14)
        self.assertEqual(hdr[:6], (40, 89, 75, 1, 4, 2))
        self.assertEqual(offset, 14 + 40 + 16 * 4)
        self.assertEqual(hdr[6], len(data) - offset)
        self.assertLess(hdr[6], 1700, "the run-length data is what keeps the program small")
        self.assertEqual(palette_hex(data, 54, 16), EXPECTED_VGA)
        pixels = decode_rle4(data[offset:], 89, 75)
        self.assertEqual(pixels, read_art("logo.txt"))

    def test_manifest_keeps_every_element_without_the_prose(self):
        import xml.etree.ElementTree as ET
        with open(os.path.join(HERE, "corvane.manifest"), encoding="utf-8") as f:
            source = ET.fromstring(f.read())
        compact = self.files["manifest.xml"]
        self.assertNotIn(b"<!--", compact)
        self.assertNotIn(b">\n", compact)
        kept = ET.fromstring(compact)
        self.assertEqual([(e.tag, e.attrib, (e.text or "").strip()) for e in source.iter()],
                         [(e.tag, e.attrib, (e.text or "").strip()) for e in kept.iter()])

    def test_same_bytes_every_run(self):
        with tempfile.TemporaryDirectory() as again:
            self.assertEqual(run_script(again).returncode, 0)
            for name, data in self.files.items():
                with open(os.path.join(again, name), "rb") as f:
                    self.assertEqual(f.read(), data, name)

    def test_png_previews_are_valid_png_files(self):
        with tempfile.TemporaryDirectory() as out:
            self.assertEqual(run_script(out, extra=["--png"]).returncode, 0)
            with open(os.path.join(out, "logo-preview.png"), "rb") as f:
                png = f.read()
            self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual(struct.unpack(">II", png[16:24]), (89 * 4, 75 * 4))

    @unittest.skipUnless(shutil.which("identify"), "ImageMagick not installed")
    def test_imagemagick_reads_the_files(self):
        out = subprocess.run(["identify"] + [os.path.join(self.tmp, n) for n in
                             ("corvane.ico", "hand.cur", "qrn.bmp")],
                             capture_output=True, text=True, check=True).stdout.splitlines()
        self.assertEqual(len(out), 4, out)
        self.assertRegex(out[0], r"ICO 32x32 .*4-bit")
        self.assertRegex(out[1], r"ICO 16x16 .*4-bit")
        self.assertRegex(out[2], r"CUR 32x32 .*1-bit")
        self.assertRegex(out[3], r"BMP3? 89x75 .*4-bit")


def project_version():
    with open(os.path.join(HERE, "..", "CMakeLists.txt")) as f:
        m = re.search(r"^project\(Corvane VERSION (\d+)\.(\d+)\.(\d+)", f.read(), re.M)
    return m.groups()


PROJECT_VERSION = project_version()


class ResourceScript(unittest.TestCase):
    def compile(self, windres, extra):
        with tempfile.TemporaryDirectory() as out:
            self.assertEqual(run_script(out).returncode, 0)
            # The version header as the build writes it from project(VERSION).
            with open(os.path.join(HERE, "corvane_version.h.in")) as f:
                header = f.read()
            for part, value in zip(("MAJOR", "MINOR", "PATCH"), PROJECT_VERSION):
                header = header.replace("@PROJECT_VERSION_%s@" % part, value)
            with open(os.path.join(out, "corvane_version.h"), "w") as f:
                f.write(header)
            obj = os.path.join(out, "res.o")
            subprocess.run([windres, "-I", out, os.path.join(HERE, "corvane.rc"),
                            "-O", "coff", "-o", obj] + extra, check=True,
                           capture_output=True, cwd=HERE)
            return subprocess.run([windres, "-i", obj, "-O", "rc"], check=True,
                                  capture_output=True, text=True).stdout

    def check(self, text):
        for needle in ('"CORVANE" 14 /* RT_GROUP_ICON */',
                       '"HAND" 12 /* RT_GROUP_CURSOR */',
                       '"QRN" 2 /* RT_BITMAP */',
                       "1 24 /* RT_MANIFEST */",
                       "FILEVERSION %s, %s, %s, 0" % PROJECT_VERSION,
                       "PRODUCTVERSION %s, %s, %s, 0" % PROJECT_VERSION,
                       'VALUE "FileVersion", "%s.%s.%s.0"' % PROJECT_VERSION,
                       'VALUE "CompanyName", "Quarnsoft"',
                       'VALUE "OriginalFilename", "corvane.exe"',
                       'VALUE "Translation", 0x409, 1252'):
            self.assertIn(needle, text)

    @unittest.skipUnless(shutil.which("x86_64-w64-mingw32-windres"), "no 64-bit windres")
    def test_compiles_for_x86_64(self):
        self.check(self.compile("x86_64-w64-mingw32-windres", []))

    @unittest.skipUnless(shutil.which("i686-w64-mingw32-windres"), "no 32-bit windres")
    def test_compiles_for_i686(self):
        self.check(self.compile("i686-w64-mingw32-windres", ["-F", "pe-i386"]))


class BrokenArt(unittest.TestCase):
    """Each broken art file must stop the build with its file and line."""

    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        shutil.copy(SCRIPT, self.tmp)
        shutil.copy(os.path.join(HERE, "corvane.manifest"), self.tmp)
        shutil.copytree(os.path.join(HERE, "art"), os.path.join(self.tmp, "art"))

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def edit(self, name, change):
        path = os.path.join(self.tmp, "art", name)
        with open(path) as f:
            lines = f.read().split("\n")
        first = lines.index("pixels:") + 1
        change(lines, first)
        with open(path, "w") as f:
            f.write("\n".join(lines))
        return first

    def fails(self, pattern):
        out = os.path.join(self.tmp, "out")
        result = run_script(out, script=os.path.join(self.tmp, "make_resources.py"))
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertRegex(result.stderr, pattern)
        self.assertFalse(os.path.exists(os.path.join(out, "corvane.ico")),
                         "no output may be written from broken art")

    def test_unbroken_copy_builds(self):
        out = os.path.join(self.tmp, "out")
        result = run_script(out, script=os.path.join(self.tmp, "make_resources.py"))
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_short_row(self):
        def change(lines, first):
            lines[first + 5] = lines[first + 5][:-1]
        first = self.edit("icon32.txt", change)
        self.fails(r"icon32\.txt:%d: row is 31 pixels wide, expected 32" % (first + 6))

    def test_long_row(self):
        def change(lines, first):
            lines[first] += "W"
        first = self.edit("logo.txt", change)
        self.fails(r"logo\.txt:%d: row is 90 pixels wide, expected 89" % (first + 1))

    def test_missing_row(self):
        self.edit("icon16.txt", lambda lines, first: lines.pop(first))
        self.fails(r"icon16\.txt: 15 pixel rows, expected 16")

    def test_extra_row(self):
        self.edit("hand.txt", lambda lines, first: lines.insert(first, "." * 32))
        self.fails(r"hand\.txt:\d+: more than 32 pixel rows")

    def test_blank_line_between_rows(self):
        self.edit("icon16.txt", lambda lines, first: lines.insert(first + 3, ""))
        self.fails(r"icon16\.txt:\d+: blank line inside the pixel rows")

    def test_character_not_in_legend(self):
        def change(lines, first):
            lines[first + 2] = "?" + lines[first + 2][1:]
        self.edit("icon32.txt", change)
        self.fails(r"icon32\.txt:\d+: column 0: '\?' is not in the legend")

    def test_palette_index_out_of_range(self):
        self.edit("hand.txt", lambda lines, first: lines.insert(first - 1, "Z 2"))
        self.fails(r"hand\.txt:\d+: palette index 2 is outside 0\.\.1")

    def test_logo_cannot_be_transparent(self):
        self.edit("logo.txt", lambda lines, first: lines.insert(first - 1, "~ transparent"))
        self.fails(r"logo\.txt:\d+: transparent needs a mask")

    def test_hot_spot_must_not_be_transparent(self):
        def change(lines, first):
            lines[first] = "." * 32
        self.edit("hand.txt", change)
        self.fails(r"hand\.txt: hot spot \(11,0\) is on a transparent pixel")


if __name__ == "__main__":
    unittest.main()
