#!/usr/bin/env python3
"""Checks for the generated assets (banner.gif, app.ico).

    python3 assets/check_gif.py

The GIF is checked by walking its blocks, not by handing it to an image
library: what matters here is the exact block layout (one global table,
NETSCAPE loop, eleven full-size frames with local tables after the first),
which a forgiving decoder would happily hide.  The LZW streams are decoded
with a strict decoder so that a code-width or table-reset mistake in the
encoder shows up as a failure instead of a slightly wrong picture.
"""

import os
import random
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True      # keep assets/ free of __pycache__

import make_assets  # noqa: E402

GIF_PATH = os.path.join(HERE, "banner.gif")
ICO_PATH = os.path.join(HERE, "app.ico")

W, H = 88, 31
N_FRAMES = 11


class GifError(Exception):
    pass


# ---------------------------------------------------------------------------
# Block walker
# ---------------------------------------------------------------------------

def _read_sub_blocks(data, pos):
    """Return (payload, block_sizes, position after the terminator)."""
    payload = bytearray()
    sizes = []
    while True:
        if pos >= len(data):
            raise GifError("sub-blocks run past end of file")
        n = data[pos]
        pos += 1
        if n == 0:
            return bytes(payload), sizes, pos
        if pos + n > len(data):
            raise GifError("sub-block at %d truncated" % (pos - 1))
        sizes.append(n)
        payload += data[pos:pos + n]
        pos += n


def walk_gif(data):
    """Split a GIF into its blocks.

    Returns a dict with the logical screen fields, the global table and a
    list of blocks in file order.  Each block is a dict with a "kind" of
    "ext" or "image" and its raw fields, plus "offset" for tests that need
    to patch the file.
    """
    if len(data) < 13:
        raise GifError("file too short")
    sig = data[:6]
    width, height, packed, bg, aspect = struct.unpack_from("<HHBBB", data, 6)
    gif = {
        "signature": sig, "width": width, "height": height,
        "packed": packed, "bg": bg, "aspect": aspect,
        "global_table": None, "blocks": [], "trailer": False,
        "trailing_bytes": 0,
    }
    pos = 13
    if packed & 0x80:
        n = 3 * (2 << (packed & 7))
        gif["global_table"] = data[pos:pos + n]
        pos += n
    while pos < len(data):
        intro = data[pos]
        if intro == 0x3B:
            gif["trailer"] = True
            gif["trailing_bytes"] = len(data) - pos - 1
            return gif
        if intro == 0x21:
            if pos + 2 > len(data):
                raise GifError("extension at %d truncated" % pos)
            label = data[pos + 1]
            payload, sizes, end = _read_sub_blocks(data, pos + 2)
            gif["blocks"].append({
                "kind": "ext", "label": label, "offset": pos,
                "first": data[pos + 3:pos + 3 + data[pos + 2]],
                "payload": payload, "sizes": sizes,
            })
            pos = end
        elif intro == 0x2C:
            if pos + 11 > len(data):
                raise GifError("image descriptor at %d truncated" % pos)
            left, top, iw, ih, ipacked = struct.unpack_from("<HHHHB", data, pos + 1)
            p = pos + 10
            local = None
            if ipacked & 0x80:
                n = 3 * (2 << (ipacked & 7))
                local = data[p:p + n]
                p += n
            mcs = data[p]
            lzw, sizes, end = _read_sub_blocks(data, p + 1)
            gif["blocks"].append({
                "kind": "image", "offset": pos, "left": left, "top": top,
                "width": iw, "height": ih, "packed": ipacked,
                "local_table": local, "min_code_size": mcs,
                "lzw": lzw, "sizes": sizes,
            })
            pos = end
        else:
            raise GifError("unknown block 0x%02X at %d" % (intro, pos))
    raise GifError("no trailer")


# ---------------------------------------------------------------------------
# Strict LZW decoder (test-side only)
# ---------------------------------------------------------------------------

def lzw_decode(data, min_code_size):
    """Decode a GIF LZW stream, refusing anything sloppy.

    Returns (indices, info) where info records what the stream did: whether
    it started with a clear code, how many clears, the widest code width
    used, and whether any whole bytes follow end-of-information.
    """
    clear = 1 << min_code_size
    eoi = clear + 1
    info = {"starts_with_clear": None, "clears": 0, "max_width": 0,
            "eoi": False, "bytes_after_eoi": 0, "end_bits": 0,
            "eoi_width": 0, "last_code_width": 0}
    out = bytearray()
    bitpos = 0
    total_bits = len(data) * 8

    def reset():
        return ([bytes((i,)) for i in range(clear)] + [b"", b""],
                min_code_size + 1)

    table, width = reset()
    prev = None
    first = True
    while True:
        if bitpos + width > total_bits:
            raise GifError("stream ended without end-of-information")
        code = 0
        for i in range(width):
            b = bitpos + i
            if data[b >> 3] >> (b & 7) & 1:
                code |= 1 << i
        bitpos += width
        read_width = width
        info["max_width"] = max(info["max_width"], width)
        if first:
            info["starts_with_clear"] = code == clear
            first = False
        if code == clear:
            info["clears"] += 1
            table, width = reset()
            prev = None
            continue
        if code == eoi:
            info["eoi"] = True
            info["eoi_width"] = width
            info["end_bits"] = bitpos
            used = (bitpos + 7) // 8
            info["bytes_after_eoi"] = len(data) - used
            return bytes(out), info
        if prev is None:
            if code >= clear:
                raise GifError("first code after clear is %d" % code)
            entry = table[code]
        else:
            if code < len(table):
                entry = table[code]
            elif code == len(table):
                entry = table[prev] + table[prev][:1]
            else:
                raise GifError("code %d beyond table size %d" % (code, len(table)))
            if len(table) < 4096:
                table.append(table[prev] + entry[:1])
                if len(table) == (1 << width) and width < 12:
                    width += 1
        out += entry
        prev = code
        info["last_code_width"] = read_width


# ---------------------------------------------------------------------------
# Structure rules for the banner
# ---------------------------------------------------------------------------

def gif_problems(data):
    """List every way `data` departs from the banner's required layout."""
    p = []

    def want(what, got, expected):
        if got != expected:
            p.append("%s: got %r, want %r" % (what, got, expected))

    # Header fields first, so a bad table flag is reported as such even
    # though it also throws the walk off.
    if len(data) < 13:
        return ["walk: file too short"]
    width, height, packed = struct.unpack_from("<HHB", data, 6)
    want("signature", data[:6], b"GIF89a")
    want("screen width", width, W)
    want("screen height", height, H)
    want("global table flag", bool(packed & 0x80), True)
    want("global table size", 2 << (packed & 7), 256)
    try:
        g = walk_gif(data)
    except GifError as e:
        return p + ["walk: %s" % e]
    want("global table bytes", len(g["global_table"] or b""), 768)
    want("trailer", g["trailer"], True)
    want("bytes after trailer", g["trailing_bytes"], 0)

    blocks = g["blocks"]
    if not blocks:
        return p + ["no blocks"]
    first = blocks[0]
    is_loop = (first["kind"] == "ext" and first["label"] == 0xFF
               and first["first"] == b"NETSCAPE2.0")
    want("NETSCAPE2.0 block right after header", is_loop, True)
    if is_loop:
        want("loop block payload", first["payload"][11:], b"\x01\x00\x00")
        want("loop block sub-block sizes", first["sizes"], [11, 3])
    rest = blocks[1:] if is_loop else blocks

    frames = []
    gce = None
    for b in rest:
        if b["kind"] == "ext" and b["label"] == 0xF9:
            if gce is not None:
                p.append("two graphic control extensions in a row")
            gce = b
        elif b["kind"] == "image":
            frames.append((gce, b))
            gce = None
        else:
            p.append("unexpected extension 0x%02X" % b["label"])
    if gce is not None:
        p.append("graphic control extension without an image")
    want("frame count", len(frames), N_FRAMES)

    for n, (gce, img) in enumerate(frames, 1):
        tag = "frame %d " % n
        if gce is None:
            p.append(tag + "has no graphic control extension")
        else:
            want(tag + "GCE sub-block sizes", gce["sizes"], [4])
            flags, delay, _tidx = struct.unpack("<BHB", gce["payload"][:4])
            want(tag + "delay", delay, 15)
            if (flags >> 2) & 7 not in (0, 1):
                p.append(tag + "disposal %d" % ((flags >> 2) & 7))
            want(tag + "transparency flag", flags & 1, 0)
        want(tag + "geometry", (img["left"], img["top"], img["width"], img["height"]),
             (0, 0, W, H))
        want(tag + "interlace", bool(img["packed"] & 0x40), False)
        if n == 1:
            want(tag + "local table flag", bool(img["packed"] & 0x80), False)
        else:
            want(tag + "local table flag", bool(img["packed"] & 0x80), True)
            want(tag + "local table size", 2 << (img["packed"] & 7), 256)
            want(tag + "local table bytes", len(img["local_table"] or b""), 768)
        want(tag + "min code size", img["min_code_size"], 8)
        if any(s > 255 for s in img["sizes"]):
            p.append(tag + "sub-block over 255 bytes")
        try:
            pixels, info = lzw_decode(img["lzw"], img["min_code_size"])
        except (GifError, IndexError) as e:
            p.append(tag + "LZW: %s" % e)
            continue
        want(tag + "LZW starts with clear", info["starts_with_clear"], True)
        want(tag + "LZW bytes after end code", info["bytes_after_eoi"], 0)
        want(tag + "pixel count", len(pixels), W * H)
    return p


def frame_tables(g):
    """The colour table in effect for each frame."""
    images = [b for b in g["blocks"] if b["kind"] == "image"]
    return [img["local_table"] or g["global_table"] for img in images]


# ---------------------------------------------------------------------------

def _read(path):
    with open(path, "rb") as fh:
        return fh.read()


class BannerStructure(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.data = _read(GIF_PATH)
        cls.gif = walk_gif(cls.data)

    def test_committed_banner_has_required_layout(self):
        self.assertEqual(gif_problems(self.data), [])

    def test_block_order(self):
        kinds = [(b["kind"], b.get("label")) for b in self.gif["blocks"]]
        expected = [("ext", 0xFF)] + [("ext", 0xF9), ("image", None)] * N_FRAMES
        self.assertEqual(kinds, expected)

    def test_frames_match_generator(self):
        # Pixels and colour tables as stored are what the drawing code meant;
        # catches e.g. a frame written with the wrong palette.
        images = [b for b in self.gif["blocks"] if b["kind"] == "image"]
        tables = frame_tables(self.gif)
        for f, img in enumerate(images):
            with self.subTest(frame=f + 1):
                pixels, _ = lzw_decode(img["lzw"], 8)
                self.assertEqual(pixels, make_assets.banner_indices(f))
                self.assertEqual(tables[f], make_assets.banner_palette(f))

    def test_frames_differ(self):
        # The animation and the per-frame tables must actually change
        # something, otherwise the local tables are dead weight.
        images = [b for b in self.gif["blocks"] if b["kind"] == "image"]
        pixels = [lzw_decode(img["lzw"], 8)[0] for img in images]
        tables = frame_tables(self.gif)
        self.assertEqual(len(set(tables)), N_FRAMES)
        self.assertGreater(len(set(pixels)), N_FRAMES // 2)

    def test_size_stays_small(self):
        # 11 colour tables alone are 8448 bytes; the pixels should not
        # dwarf them.
        self.assertLess(len(self.data), 24 * 1024)


class CheckerCatchesBreakage(unittest.TestCase):
    """Each row damages a good banner in one way; the rules must notice."""

    @classmethod
    def setUpClass(cls):
        cls.data = _read(GIF_PATH)
        g = walk_gif(cls.data)
        cls.gces = [b["offset"] for b in g["blocks"] if b["kind"] == "ext" and b["label"] == 0xF9]
        cls.images = [b for b in g["blocks"] if b["kind"] == "image"]

    def _patch(self, offset, value):
        d = bytearray(self.data)
        d[offset] = value
        return bytes(d)

    def test_mutations(self):
        d = self.data
        img3 = self.images[2]["offset"]
        last_gce = self.gces[-1]
        # Offset of the min-code-size byte of frame 1 (no local table).
        mcs1 = self.images[0]["offset"] + 10
        loop_count = 13 + 768 + 16
        cases = [
            # (what, damaged bytes, text expected in a problem)
            ("wrong width", self._patch(6, W - 1), "screen width"),
            ("global table 128", self._patch(10, 0xF6), "global table size"),
            ("no global table", self._patch(10, 0x77), "global table flag"),
            ("loop count 1", self._patch(loop_count, 1), "loop block payload"),
            ("delay 16", self._patch(self.gces[4] + 4, 16), "frame 5 delay"),
            ("transparency", self._patch(self.gces[6] + 3, 0x05), "frame 7 transparency"),
            ("disposal 2", self._patch(self.gces[1] + 3, 0x08), "frame 2 disposal"),
            ("interlaced", self._patch(img3 + 9, 0xC7), "frame 3 interlace"),
            ("offset frame", self._patch(img3 + 1, 1), "frame 3 geometry"),
            ("min code size 7", self._patch(mcs1, 7), "frame 1 "),
            ("last frame dropped", d[:last_gce] + b"\x3B", "frame count"),
            ("no trailer", d[:-1], "walk"),
            ("junk after trailer", d + b"\x00", "bytes after trailer"),
        ]
        for what, damaged, needle in cases:
            with self.subTest(what):
                problems = gif_problems(damaged)
                self.assertTrue(any(needle in s for s in problems),
                                "%r not in %r" % (needle, problems))


class LzwRoundTrip(unittest.TestCase):
    """The encoder against the strict decoder, beyond what the banner uses."""

    @staticmethod
    def _noise(n, levels, seed):
        rnd = random.Random(seed)
        return bytes(rnd.randrange(levels) for _ in range(n))

    def test_round_trip(self):
        cases = [
            # (name, pixels, min widest code, min clear codes)
            ("empty", b"", 9, 1),
            ("one pixel", b"\x07", 9, 1),
            ("two equal", b"\x05\x05", 9, 1),
            ("KwKwK run", b"\x01" * 1000, 9, 1),
            ("all values", bytes(range(256)) * 3, 10, 1),
            ("top index", b"\xFF\x00\xFF\xFF", 9, 1),
            ("4 levels noise", self._noise(20000, 4, 1), 12, 2),
            ("full noise", self._noise(30000, 256, 2), 12, 3),
        ]
        for name, px, widest, clears in cases:
            with self.subTest(name):
                enc = make_assets.lzw_encode(px, 8)
                out, info = lzw_decode(enc, 8)
                self.assertEqual(out, px)
                self.assertTrue(info["starts_with_clear"])
                self.assertEqual(info["bytes_after_eoi"], 0)
                self.assertGreaterEqual(info["max_width"], widest)
                self.assertGreaterEqual(info["clears"], clears)

    def test_end_code_at_width_boundaries(self):
        # The decoder adds one more table entry before it reads the end
        # code, so a stream whose table ends exactly on a power of two must
        # send the end code one bit wider than the code before it.  Getting
        # that wrong only corrupts the file when the short end code would
        # have finished on a byte boundary, so cover several minimum code
        # sizes and table cycles until that alignment has been seen.
        cases = [
            # (min code size, symbol count, stream length, seed)
            (2, 4, 1500, 11),
            (3, 8, 2600, 12),
            (4, 16, 2500, 13),
            (8, 256, 20000, 14),
        ]
        wider_end_alignments = set()
        for mcs, levels, n, seed in cases:
            px = self._noise(n, levels, seed)
            clear = 1 << mcs
            boundaries = {1 << w for w in range(mcs + 2, 13)}
            # Shadow the table growth to find prefix lengths whose final
            # table size is a boundary; first hit per table cycle.
            picks = []
            table, nxt, prefix, cycle = {}, clear + 2, px[0], 0
            last = None
            for i in range(1, n):
                key = (prefix, px[i])
                if key in table:
                    prefix = table[key]
                    continue
                table[key] = nxt
                nxt += 1
                if nxt == 4096:
                    table, nxt, cycle = {}, clear + 2, cycle + 1
                prefix = px[i]
                if nxt in boundaries and (cycle, nxt) != last:
                    picks.append(i + 1)
                    last = (cycle, nxt)
            self.assertTrue(picks)
            for length in picks:
                with self.subTest(min_code_size=mcs, length=length):
                    chunk = px[:length]
                    enc = make_assets.lzw_encode(chunk, mcs)
                    out, info = lzw_decode(enc, mcs)
                    self.assertEqual(out, chunk)
                    self.assertEqual(info["bytes_after_eoi"], 0)
                    if info["eoi_width"] > info["last_code_width"]:
                        wider_end_alignments.add(info["end_bits"] % 8)
        # Residue 1: a one-bit-short end code would have ended the stream
        # exactly on a byte, leaving the decoder without its last bit.
        self.assertIn(1, wider_end_alignments)

    def test_sub_blocks(self):
        for n in (0, 1, 254, 255, 256, 510, 511, 1000):
            with self.subTest(n=n):
                payload = bytes(i & 0xFF for i in range(n))
                framed = make_assets.sub_blocks(payload)
                got, sizes, end = _read_sub_blocks(framed, 0)
                self.assertEqual(got, payload)
                self.assertEqual(end, len(framed))
                self.assertTrue(all(1 <= s <= 255 for s in sizes))


class Icon(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.data = _read(ICO_PATH)
        reserved, kind, count = struct.unpack_from("<HHH", cls.data, 0)
        cls.header = (reserved, kind, count)
        cls.entries = [struct.unpack_from("<BBBBHHII", cls.data, 6 + 16 * i)
                       for i in range(count)]

    def test_directory(self):
        self.assertEqual(self.header, (0, 1, 3))
        self.assertEqual([(e[0], e[1]) for e in self.entries], [(16, 16), (32, 32), (48, 48)])
        for w, h, colours, res, planes, bpp, size, offset in self.entries:
            with self.subTest(size=w):
                self.assertEqual((colours, res, planes, bpp), (0, 0, 1, 32))
                stride = ((w + 31) // 32) * 4
                self.assertEqual(size, 40 + w * h * 4 + stride * h)

    def test_offsets_are_contiguous(self):
        expected = 6 + 16 * len(self.entries)
        for e in self.entries:
            self.assertEqual(e[7], expected)
            expected += e[6]
        self.assertEqual(expected, len(self.data))

    def test_images(self):
        for w, h, _c, _r, _p, _b, size, offset in self.entries:
            with self.subTest(size=w):
                hdr = struct.unpack_from("<IiiHHIIiiII", self.data, offset)
                self.assertEqual(hdr[:6], (40, w, 2 * h, 1, 32, 0))
                xor = self.data[offset + 40:offset + 40 + w * h * 4]
                mask = self.data[offset + 40 + w * h * 4:offset + size]
                stride = ((w + 31) // 32) * 4
                # Stored bottom-up as BGRA: rebuild top-down RGBA and
                # compare with what the renderer drew.
                rows = [xor[r * w * 4:(r + 1) * w * 4] for r in range(h)][::-1]
                rgba = [(row[i + 2], row[i + 1], row[i], row[i + 3])
                        for row in rows for i in range(0, w * 4, 4)]
                self.assertEqual(rgba, make_assets.render_icon(w))
                # Mask bit set exactly where the pixel is fully transparent.
                mrows = [mask[r * stride:(r + 1) * stride] for r in range(h)][::-1]
                for y in range(h):
                    for x in range(w):
                        bit = mrows[y][x // 8] >> (7 - x % 8) & 1
                        self.assertEqual(bit, int(rgba[y * w + x][3] == 0), (x, y))
                # Round dial: transparent corners, opaque centre.
                self.assertEqual(rgba[0][3], 0)
                self.assertEqual(rgba[-1][3], 0)
                self.assertEqual(rgba[(h // 2) * w + w // 2][3], 255)


class Reproducible(unittest.TestCase):

    def test_generator_reproduces_committed_files(self):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, os.path.join(HERE, "make_assets.py"), tmp],
                           check=True, stdout=subprocess.DEVNULL)
            for name in ("banner.gif", "app.ico"):
                with self.subTest(name):
                    self.assertEqual(_read(os.path.join(tmp, name)),
                                     _read(os.path.join(HERE, name)))


if __name__ == "__main__":
    unittest.main(verbosity=2)
