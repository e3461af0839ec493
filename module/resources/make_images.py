#!/usr/bin/env python3
"""Regenerate Quillon's cursor and toolbar image resources.

The binary resources are derived from the ASCII art below so that the
pictures can be reviewed and edited as text instead of in an icon editor.
Run from anywhere; output lands next to this script.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------
# Cursors: '#' black, '.' white, ' ' transparent.  32x32, hot spot (0, 0),
# so the arrow tip must stay at the top-left pixel.
# ---------------------------------------------------------------------------

# Resource 132: arrow plus two gates and an up/down exchange arrow.
CURSOR_SWAPGATE = [
    "#                               ",
    "##                              ",
    "#.#                             ",
    "#..#                            ",
    "#...#                           ",
    "#....#                          ",
    "#.....#                         ",
    "#......#                        ",
    "#.......#                       ",
    "#........#                      ",
    "#.........#                     ",
    "#......#####                    ",
    "#...#..#                        ",
    "#..##..#             .......    ",
    "#.#  #..#          ...#####..   ",
    "##   #..#     ...  .###....#..  ",
    "#     #..#   ..#.. ...#.....#...",
    "      #..#  ..###..  .#.....###.",
    "       ##   .#####....#.....#...",
    "            ...#....###....#..  ",
    "              .#.  ...#####..   ",
    "              .#.    .......    ",
    "              .#.               ",
    "              .#.    .......    ",
    "              .#.  ...#####..   ",
    "            ...#....###....#..  ",
    "            .#####....#.....#...",
    "            ..###..  .#.....###.",
    "             ..#.. ...#.....#...",
    "              ...  .###....#..  ",
    "                   ...#####..   ",
    "                     .......    ",
]

# Resource 133: arrow plus two pin stubs and a left/right exchange arrow.
CURSOR_SWAPPIN = [
    "#                               ",
    "##                              ",
    "#.#                             ",
    "#..#                            ",
    "#...#                           ",
    "#....#                          ",
    "#.....#                         ",
    "#......#                        ",
    "#.......#                       ",
    "#........#                      ",
    "#.........#                     ",
    "#......#####                    ",
    "#...#..#                        ",
    "#..##..#                        ",
    "#.#  #..#                       ",
    "##   #..#                       ",
    "#     #..#                      ",
    "      #..#                      ",
    "       ##  .......       .......",
    "           .#####.       .#####.",
    "           .#...#.       .#...#.",
    "           .#...#.       .#...#.",
    "           .#...#.       .#...#.",
    "           .#####.       .#####.",
    "           ...#.....   .....#...",
    "             .#...#.   .#...#.  ",
    "             .#..##.....##..#.  ",
    "             .#.###########.#.  ",
    "             .#..##.....##..#.  ",
    "             .#...#.   .#...#.  ",
    "             .#. ...   ... .#.  ",
    "             ...           ...  ",
]

# ---------------------------------------------------------------------------
# Toolbar bitmaps: 16 wide x 15 high, 4 bpp.  Background is the classic
# button-face grey so the icons blend with an unthemed toolbar.
# ---------------------------------------------------------------------------

# Standard Windows 16-colour (VGA) palette as (R, G, B), in index order.
VGA_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Art letter -> palette index.
LETTERS = {
    "-": 7,   # light grey background (button face)
    "k": 0,   # black outlines and leads
    "w": 15,  # white gate bodies
    "y": 11,  # yellow (gold) pad centres
    "r": 9,   # red exchange arrows
}

# Resource 1102: two pins with a left/right exchange arrow between the leads.
TOOLBAR_SWAPPIN = [
    "----------------",
    "-kkk--------kkk-",
    "-kyk--------kyk-",
    "-kkk--------kkk-",
    "--k----------k--",
    "--k----------k--",
    "--k----------k--",
    "--k--r----r--k--",
    "--k-rrrrrrrr-k--",
    "--k--r----r--k--",
    "--k----------k--",
    "--k----------k--",
    "--k----------k--",
    "--k----------k--",
    "----------------",
]

# Resource 1109: two AND gates with an up/down exchange arrow beside them.
TOOLBAR_SWAPGATE = [
    "----------------",
    "--r----kkkk-----",
    "-rrr-kkkwwwk----",
    "--r----kwwwwkkk-",
    "--r--kkkwwwk----",
    "--r----kkkk-----",
    "--r-------------",
    "--r-------------",
    "--r-------------",
    "--r----kkkk-----",
    "--r--kkkwwwk----",
    "--r----kwwwwkkk-",
    "-rrr-kkkwwwk----",
    "--r----kkkk-----",
    "----------------",
]


def _check_art(rows, width, height, alphabet, name):
    # Catch editing slips (ragged rows, stray characters) before they become
    # silently shifted pixels in a binary file.
    if len(rows) != height:
        raise ValueError(f"{name}: {len(rows)} rows, expected {height}")
    for y, row in enumerate(rows):
        if len(row) != width:
            raise ValueError(f"{name}: row {y} is {len(row)} wide, expected {width}")
        bad = set(row) - set(alphabet)
        if bad:
            raise ValueError(f"{name}: row {y} has unexpected characters {sorted(bad)}")


def _pack_bits(bits):
    # DIB rows are MSB-first and padded to a 4-byte boundary.
    out = bytearray()
    for i in range(0, len(bits), 8):
        byte = 0
        for j, bit in enumerate(bits[i:i + 8]):
            byte |= bit << (7 - j)
        out.append(byte)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def build_cur(rows, name):
    _check_art(rows, 32, 32, "#. ", name)
    xor_rows = []
    and_rows = []
    # Masks are stored bottom-up like any DIB.
    for row in reversed(rows):
        xor_rows.append(_pack_bits([1 if c == "." else 0 for c in row]))
        and_rows.append(_pack_bits([1 if c == " " else 0 for c in row]))
    xor_mask = b"".join(xor_rows)
    and_mask = b"".join(and_rows)

    # biHeight counts both masks, hence twice the cursor height.
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0,
                       len(xor_mask) + len(and_mask), 0, 0, 0, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = info + palette + xor_mask + and_mask

    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, 0, 0, len(image), 6 + 16)
    return header + entry + image


def build_bmp(rows, name):
    _check_art(rows, 16, 15, "".join(LETTERS), name)
    width, height = 16, 15
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):  # positive biHeight means bottom-up
        line = bytearray()
        idx = [LETTERS[c] for c in row]
        for i in range(0, width, 2):
            hi = idx[i]
            lo = idx[i + 1] if i + 1 < width else 0
            line.append((hi << 4) | lo)
        line.extend(b"\0" * (stride - len(line)))
        pixels += line

    palette = b"".join(bytes([b, g, r, 0]) for (r, g, b) in VGA_PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0,
                       len(pixels), 0, 0, len(VGA_PALETTE), 0)
    offset = 14 + len(info) + len(palette)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + info + palette + bytes(pixels)


OUTPUTS = [
    ("cursor_swapgate.cur", build_cur, CURSOR_SWAPGATE),
    ("cursor_swappin.cur", build_cur, CURSOR_SWAPPIN),
    ("toolbar_swappin.bmp", build_bmp, TOOLBAR_SWAPPIN),
    ("toolbar_swapgate.bmp", build_bmp, TOOLBAR_SWAPGATE),
]


def main():
    for filename, builder, art in OUTPUTS:
        data = builder(art, filename)
        path = os.path.join(HERE, filename)
        with open(path, "wb") as f:
            f.write(data)
        print(f"wrote {filename} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
