#!/usr/bin/env python3
"""Generate the program's binary assets: app.ico and banner.gif.

    python3 assets/make_assets.py [OUTPUT_DIR]

Without an argument the files are written next to this script, which is
where the resource script and the build expect them.  Only the standard
library is used, and the output is fully deterministic (no timestamps, no
randomness), so regenerating the assets gives byte-identical files and a
diff in git means the drawing code really changed.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Icon: a clock face
# ---------------------------------------------------------------------------

ICON_SIZES = (16, 32, 48)

# Each pixel is sampled SS x SS times; cheap anti-aliasing without any
# imaging library.
SS = 4

RING = (0x1F, 0x5F, 0xA8)       # dial rim
FACE = (0xFB, 0xFB, 0xF7)       # dial
MARK = (0x3A, 0x3F, 0x48)       # hour marks
HAND = (0x1E, 0x22, 0x2A)       # both hands
HUB = (0xD0, 0x32, 0x2E)        # centre cap, the only warm accent

R_OUTER = 0.97
R_FACE = 0.80


def _seg_dist(px, py, ax, ay, bx, by):
    """Distance from point P to segment AB."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    qx, qy = ax + t * dx - px, ay + t * dy - py
    return math.hypot(qx, qy)


def _clock_dir(hours):
    """Unit vector for a position on the dial, 12 o'clock up, y pointing down."""
    a = hours / 12.0 * 2.0 * math.pi
    return math.sin(a), -math.cos(a)


def _icon_shapes(size):
    """Marks and hands for one icon size.

    The 16 px icon is drawn on the pixel grid instead: four 2x1 pixel quarter
    marks and two 2 px wide hands on the axes (3 o'clock), so every stroke
    lands on whole pixels.  Slanted hair-thin strokes at that size blur into
    something that reads as a face rather than a clock.
    """
    if size <= 16:
        px = 2.0 / size                 # one pixel in dial units
        marks = []
        for ux, uy in ((0, -1), (1, 0), (0, 1), (-1, 0)):   # 12, 3, 6, 9
            # A 2x1 pixel block sitting just inside the rim.
            marks.append((ux * 5 * px, uy * 5 * px, ux * 6 * px, uy * 6 * px, px))
        hands = [
            (0.0, 0.0, 3 * px, 0.0, px),        # hour, to 3
            (0.0, 0.0, 0.0, -4 * px, px),       # minute, to 12
        ]
        return marks, hands, 0.0, True
    marks = []
    for h in range(12):
        ux, uy = _clock_dir(h)
        if h % 3 == 0:
            r0, r1, width = 0.56, 0.74, 0.11
        else:
            r0, r1, width = 0.64, 0.74, 0.06
        marks.append((ux * r0, uy * r0, ux * r1, uy * r1, width / 2))
    # 10:09, the classic "smiling" watch pose, keeps both hands clear of
    # each other and of the 12 mark.
    hx, hy = _clock_dir(10 + 9 / 60.0)
    mx, my = _clock_dir(9 * 12 / 60.0)
    hands = [
        (0.0, 0.0, hx * 0.42, hy * 0.42, 0.13 / 2),
        (0.0, 0.0, mx * 0.66, my * 0.66, 0.09 / 2),
    ]
    return marks, hands, 0.10, False


def _box_hit(x, y, ax, ay, bx, by, half):
    """Inside the axis-aligned rectangle spanned by AB, widened by half."""
    if ay == by:        # horizontal stroke: widen vertically only
        return min(ax, bx) <= x <= max(ax, bx) and abs(y - ay) <= half
    return min(ay, by) <= y <= max(ay, by) and abs(x - ax) <= half


def _icon_sample(x, y, marks, hands, hub, grid):
    """Colour of the clock at dial coordinates x, y in [-1, 1], or None."""
    r = math.hypot(x, y)
    if r > R_OUTER:
        return None
    if r > R_FACE:
        return RING
    if grid:
        # Centre 2x2 pixels carry the accent where the hands meet.
        if max(abs(x), abs(y)) <= hands[0][4]:
            return HUB
        hit = _box_hit
    else:
        if r <= hub:
            return HUB
        hit = lambda x, y, ax, ay, bx, by, w: _seg_dist(x, y, ax, ay, bx, by) <= w
    for seg in hands:
        if hit(x, y, *seg):
            return HAND
    for seg in marks:
        if hit(x, y, *seg):
            return MARK
    return FACE


def render_icon(size):
    """Return size*size straight-alpha (r, g, b, a) tuples, top row first."""
    marks, hands, hub, grid = _icon_shapes(size)
    pixels = []
    n = SS * SS
    for py in range(size):
        for px in range(size):
            sr = sg = sb = cov = 0
            for sy in range(SS):
                for sx in range(SS):
                    x = ((px + (sx + 0.5) / SS) / size) * 2.0 - 1.0
                    y = ((py + (sy + 0.5) / SS) / size) * 2.0 - 1.0
                    c = _icon_sample(x, y, marks, hands, hub, grid)
                    if c is None:
                        continue
                    sr += c[0]
                    sg += c[1]
                    sb += c[2]
                    cov += 1
            if cov == 0:
                pixels.append((0, 0, 0, 0))
            else:
                # Average over covered samples only: the icon format wants
                # straight (not premultiplied) colour next to the alpha.
                pixels.append((
                    (sr + cov // 2) // cov,
                    (sg + cov // 2) // cov,
                    (sb + cov // 2) // cov,
                    (cov * 255 + n // 2) // n,
                ))
    return pixels


def icon_image(size, pixels):
    """One BMP-style icon image: BITMAPINFOHEADER, BGRA rows, AND mask."""
    header = struct.pack(
        "<IiiHHIIiiII",
        40,             # biSize
        size,           # biWidth
        size * 2,       # biHeight: colour rows plus mask rows
        1,              # biPlanes
        32,             # biBitCount
        0,              # biCompression = BI_RGB
        0,              # biSizeImage (may be 0 for BI_RGB)
        0, 0, 0, 0,
    )
    xor = bytearray()
    for row in range(size - 1, -1, -1):          # bitmaps are stored bottom-up
        for r, g, b, a in pixels[row * size:(row + 1) * size]:
            xor += bytes((b, g, r, a))
    # The AND mask is ignored when alpha is present, but old code paths
    # (and some shell thumbnailers) still use it, so keep it truthful:
    # bit set = fully transparent.
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in range(size - 1, -1, -1):
        line = bytearray(stride)
        for col in range(size):
            if pixels[row * size + col][3] == 0:
                line[col // 8] |= 0x80 >> (col % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def build_ico():
    images = [(s, icon_image(s, render_icon(s))) for s in ICON_SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack(
            "<BBBBHHII",
            size % 256,     # 256 would be stored as 0
            size % 256,
            0,              # no palette
            0,
            1,              # planes
            32,             # bits per pixel
            len(data),
            offset,
        )
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


# ---------------------------------------------------------------------------
# Banner: 88x31 animated GIF
# ---------------------------------------------------------------------------

BANNER_W, BANNER_H = 88, 31
FRAMES = 11
FRAME_DELAY = 15                # hundredths of a second

# 5x7 glyphs, just the letters the banner needs.
GLYPHS = {
    "T": ["#####",
          "..#..",
          "..#..",
          "..#..",
          "..#..",
          "..#..",
          "..#.."],
    "o": [".....",
          ".....",
          ".###.",
          "#...#",
          "#...#",
          "#...#",
          ".###."],
    "v": [".....",
          ".....",
          "#...#",
          "#...#",
          "#...#",
          ".#.#.",
          "..#.."],
    "r": [".....",
          ".....",
          "#.##.",
          "##..#",
          "#....",
          "#....",
          "#...."],
    "e": [".....",
          ".....",
          ".###.",
          "#...#",
          "#####",
          "#....",
          ".###."],
    "n": [".....",
          ".....",
          "#.##.",
          "##..#",
          "#...#",
          "#...#",
          "#...#"],
}
TEXT = "Tovren"
SCALE = 2
GAP = 1                         # columns between glyphs, before scaling

# Palette layout, the same for every frame; only the colours change.
BG_LEVELS = 22                  # gradient steps across the banner
HL_LEVELS = 4                   # 0 = no highlight .. 3 = band centre
IDX_TEXT = BG_LEVELS * HL_LEVELS            # + highlight level
IDX_SHADOW = IDX_TEXT + HL_LEVELS
IDX_EDGE_LIGHT = IDX_SHADOW + 1
IDX_EDGE_DARK = IDX_EDGE_LIGHT + 1
USED_COLOURS = IDX_EDGE_DARK + 1


def _text_mask():
    """Set of (x, y) pixels covered by the scaled text, centred."""
    cols = len(TEXT) * 5 + (len(TEXT) - 1) * GAP
    width, height = cols * SCALE, 7 * SCALE
    x0 = (BANNER_W - width) // 2
    y0 = (BANNER_H - height) // 2
    mask = set()
    for i, ch in enumerate(TEXT):
        gx = x0 + i * (5 + GAP) * SCALE
        for row, line in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(line):
                if bit != "#":
                    continue
                for dy in range(SCALE):
                    for dx in range(SCALE):
                        mask.add((gx + col * SCALE + dx, y0 + row * SCALE + dy))
    return mask


def _highlight(x, y, frame):
    """Highlight level of a slanted band that sweeps left to right.

    The band starts off-screen on the left and leaves on the right, so the
    loop restarts from a calm banner rather than jumping mid-sweep.  The
    slant steps every 3 rows, which keeps runs of equal rows for LZW.
    """
    half_width = 7.0
    start, end = -2 * half_width, BANNER_W + 2 * half_width + BANNER_H / 6
    centre = start + (end - start) * frame / (FRAMES - 1)
    d = abs(x + (y // 3) * 2 - centre - BANNER_H / 6)
    level = 1.0 - d / half_width
    if level <= 0:
        return 0
    return min(HL_LEVELS - 1, int(level * HL_LEVELS))


def banner_indices(frame, text=None):
    text = _text_mask() if text is None else text
    shadow = {(x + 1, y + 1) for x, y in text}
    out = bytearray(BANNER_W * BANNER_H)
    for y in range(BANNER_H):
        for x in range(BANNER_W):
            h = _highlight(x, y, frame)
            if y == 0 or x == 0:
                idx = IDX_EDGE_LIGHT
            elif y == BANNER_H - 1 or x == BANNER_W - 1:
                idx = IDX_EDGE_DARK
            elif (x, y) in text:
                idx = IDX_TEXT + h
            elif (x, y) in shadow:
                idx = IDX_SHADOW
            else:
                g = x * BG_LEVELS // BANNER_W
                idx = g * HL_LEVELS + h
            out[y * BANNER_W + x] = idx
    return bytes(out)


def _hsv(h, s, v):
    """HSV (h in degrees) to an 8-bit RGB tuple, with explicit rounding."""
    h = (h % 360.0) / 60.0
    i = int(h)
    f = h - i
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i % 6]
    return tuple(int(round(c * 255)) for c in (r, g, b))


def _mix(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def banner_palette(frame):
    """256 RGB entries for one frame.

    The hue drifts a little over the loop (one full sine period), which is
    why every frame after the first carries its own colour table.
    """
    shift = 14.0 * math.sin(2.0 * math.pi * frame / FRAMES)
    pal = []
    for g in range(BG_LEVELS):
        t = g / (BG_LEVELS - 1)
        base = _hsv(222 + 48 * t + shift, 0.78 - 0.10 * t, 0.34 + 0.14 * t)
        for h in range(HL_LEVELS):
            pal.append(_mix(base, (255, 255, 255), 0.10 * h))
    text = _hsv(42 + shift * 0.5, 0.18, 1.0)
    for h in range(HL_LEVELS):
        pal.append(_mix(text, (255, 255, 255), h / (HL_LEVELS - 1)))
    pal.append(_hsv(240 + shift, 0.70, 0.14))       # text shadow
    pal.append(_hsv(215 + shift, 0.35, 0.80))       # top/left edge
    pal.append(_hsv(250 + shift, 0.80, 0.12))       # bottom/right edge
    assert len(pal) == USED_COLOURS
    pal.extend([(0, 0, 0)] * (256 - len(pal)))
    return b"".join(bytes(c) for c in pal)


def lzw_encode(indices, min_code_size=8):
    """GIF-flavoured LZW: variable width codes, LSB-first, 12-bit cap.

    Returns the packed code stream (without the minimum-code-size byte and
    without sub-block framing).
    """
    clear = 1 << min_code_size
    eoi = clear + 1
    out = bytearray()
    acc = 0             # bit accumulator
    nbits = 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def reset():
        return {}, eoi + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    if not indices:
        emit(eoi, width)
        if nbits:
            out.append(acc & 0xFF)
        return bytes(out)

    prefix = indices[0]
    for c in indices[1:]:
        key = (prefix, c)
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix, width)
        table[key] = next_code
        next_code += 1
        # The decoder adds its entry one code later than we do, so it only
        # widens once it has reached the code we just passed: grow when
        # next_code exceeds (not equals) the current width's range.
        if next_code > (1 << width) and width < 12:
            width += 1
        if next_code == 4096:
            # Table full: start over rather than keep emitting with a
            # frozen table; decoders handle this uniformly.
            emit(clear, width)
            table, next_code, width = reset()
        prefix = c
    emit(prefix, width)
    # The decoder still adds one entry for the code above before reading
    # end-of-information, which can push it to the next width.
    if next_code + 1 > (1 << width) and width < 12:
        width += 1
    emit(eoi, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def build_gif():
    text = _text_mask()
    out = bytearray(b"GIF89a")
    # Global colour table present, 8 bits colour resolution, 256 entries.
    out += struct.pack("<HHBBB", BANNER_W, BANNER_H, 0xF7, 0, 0)
    out += banner_palette(0)
    # Loop forever.
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"
    for f in range(FRAMES):
        # Disposal 1 (leave in place), no user input, no transparency.
        out += b"\x21\xF9\x04" + struct.pack("<BHB", 1 << 2, FRAME_DELAY, 0) + b"\x00"
        packed = 0 if f == 0 else 0x87        # local table, 256 entries
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, BANNER_W, BANNER_H, packed)
        if f:
            out += banner_palette(f)
        out.append(8)
        out += sub_blocks(lzw_encode(banner_indices(f, text), 8))
    out.append(0x3B)
    return bytes(out)


# ---------------------------------------------------------------------------

def main(argv):
    if len(argv) > 2:
        sys.stderr.write("usage: make_assets.py [OUTPUT_DIR]\n")
        return 2
    outdir = argv[1] if len(argv) == 2 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(outdir, exist_ok=True)
    for name, data in (("app.ico", build_ico()), ("banner.gif", build_gif())):
        path = os.path.join(outdir, name)
        with open(path, "wb") as fh:
            fh.write(data)
        print("%s: %d bytes" % (path, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
