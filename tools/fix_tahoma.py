#!/usr/bin/env python3
"""Makes the program's Tahoma from Debian's free one (fonts-wine).

Usage: fix_tahoma.py SOURCE TARGET [--bold]

Mended in the copy:
- The glyph for U+0130 is a plain stem that keeps the advance of the serifed
  capital I, so every word with an "İ" showed a gap after it ("İ STANBUL"):
  it gets the side bearings of the stem.
- Line metrics: the source asks for its typographic ascender (1566 units,
  below the accents at 1876 to 1946 units), so lines were one em apart and
  the accents of İ Ğ Ü Ö were clipped on screen. The copy uses the ascent and
  descent the forms were laid out with, 2049 and 423 units (1.207 em), for
  every way of reading them.
- The embedded bitmap strikes are dropped: their metrics disagree with the
  outlines.
- The tab gets a blank glyph of its own. Without one, Qt draws a tab with the
  space glyph, and its PDF writer reads the glyph back as the lowest code
  that draws it: every space of a PDF's text layer read as a tab, and
  "Kadıköy Tescil" could not be searched for.

With --bold the copy is a bold face made from the regular outlines: the
shipped tahomabd.ttf carries the regular outlines on wider advances, and a
bold drawn from it by the renderer is hardly bolder on paper. Each outline is
grown outward (140 units across, 60 up and down; the regular stem is 184),
within the regular advance.
"""
import sys

from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._g_l_y_f import GlyphCoordinates

ASCENT, DESCENT = 2049, 423
BOLD_X, BOLD_Y = 140, 60
# The advances stay those of the regular face, as they were when the renderer
# made the bold: bold texts keep their widths, so window layouts and the
# forms' centred and right-aligned bold fields stay where they were. The
# grown outlines take 70 units of each side bearing (the regular ones are
# about 90 to 150).
BOLD_ADVANCE = 0


def mend_metrics(font):
    os2 = font["OS/2"]
    os2.fsSelection &= ~(1 << 7)  # USE_TYPO_METRICS
    os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = ASCENT, -DESCENT, 0
    os2.usWinAscent, os2.usWinDescent = ASCENT, DESCENT
    hhea = font["hhea"]
    hhea.ascent, hhea.descent, hhea.lineGap = ASCENT, -DESCENT, 0


def signed_area(coords, ends):
    area, start = 0, 0
    for end in ends:
        pts = coords[start : end + 1]
        for i, (x0, y0) in enumerate(pts):
            x1, y1 = pts[(i + 1) % len(pts)]
            area += x0 * y1 - x1 * y0
        start = end + 1
    return area


def unit(dx, dy):
    length = (dx * dx + dy * dy) ** 0.5
    return (dx / length, dy / length) if length else (0.0, 0.0)


def embolden(glyph):
    """Moves every point of a simple glyph outward along its corner's bisector,
    so each edge moves BOLD_X / 2 sideways and BOLD_Y / 2 up or down."""
    coords, ends = list(glyph.coordinates), glyph.endPtsOfContours
    # TrueType outlines run clockwise; an outline that runs the other way
    # round is grown the other way.
    outward = -1 if signed_area(coords, ends) > 0 else 1
    moved, start = [], 0
    for end in ends:
        pts = coords[start : end + 1]
        n = len(pts)
        for i, (x, y) in enumerate(pts):
            px, py = pts[i - 1]
            nx, ny = pts[(i + 1) % n]
            # Skip coincident neighbours to find the real edge directions.
            j = 1
            while (px, py) == (x, y) and j < n:
                j += 1
                px, py = pts[i - j]
            j = 1
            while (nx, ny) == (x, y) and j < n:
                j += 1
                nx, ny = pts[(i + j) % n]
            d1 = unit(x - px, y - py)
            d2 = unit(nx - x, ny - y)
            n1 = (-d1[1] * outward, d1[0] * outward)
            n2 = (-d2[1] * outward, d2[0] * outward)
            # Offsetting both edges by w moves the corner by (n1 + n2) / (1 + n1.n2) * w;
            # sharp corners are held to twice the offset.
            k = 1 + n1[0] * n2[0] + n1[1] * n2[1]
            k = max(k, 0.5)
            sx = (n1[0] + n2[0]) / k
            sy = (n1[1] + n2[1]) / k
            moved.append((round(x + sx * BOLD_X / 2), round(y + sy * BOLD_Y / 2)))
        start = end + 1
    glyph.coordinates = GlyphCoordinates(moved)
    if hasattr(glyph, "program"):
        glyph.program.fromBytecode(b"")


def make_bold(font):
    glyf, hmtx = font["glyf"], font["hmtx"]
    # Simple glyphs first, centred in their wider advance; composites follow
    # their parts.
    for name in font.getGlyphOrder():
        g = glyf[name]
        if g.numberOfContours > 0:
            embolden(g)
            g.coordinates.translate((BOLD_ADVANCE // 2, 0))
    for name in font.getGlyphOrder():
        g = glyf[name]
        advance, _ = hmtx[name]
        if g.numberOfContours != 0:
            g.recalcBounds(glyf)
            hmtx[name] = (advance + BOLD_ADVANCE, g.xMin)
        else:
            hmtx[name] = (advance + BOLD_ADVANCE, 0)
    # Outlines changed: the regular face's hinting no longer matches them.
    for table in ("fpgm", "prep", "cvt ", "hdmx", "LTSH", "VDMX", "gasp"):
        if table in font:
            del font[table]
    os2 = font["OS/2"]
    os2.usWeightClass = 700
    os2.fsSelection = (os2.fsSelection & ~(1 << 6)) | (1 << 5)
    font["head"].macStyle |= 1
    names = font["name"]
    for record in list(names.names):
        if record.nameID == 2:
            names.setName("Bold", 2, record.platformID, record.platEncID, record.langID)
        elif record.nameID in (3, 4):
            names.setName(
                "Tahoma Bold", record.nameID, record.platformID, record.platEncID, record.langID
            )
        elif record.nameID == 6:
            names.setName("Tahoma-Bold", 6, record.platformID, record.platEncID, record.langID)
    font["hhea"].advanceWidthMax += BOLD_ADVANCE


def map_tab(font):
    for table in font["cmap"].tables:
        if table.isUnicode() and 9 not in table.cmap:
            table.cmap[9] = "nonmarkingreturn"


def main(source, target, bold=False):
    font = TTFont(source)
    glyph = font["glyf"]["Idotaccent"]
    advance, lsb = font["hmtx"]["Idotaccent"]
    font["hmtx"]["Idotaccent"] = (glyph.xMax + lsb + 38, lsb)
    for table in ("EBDT", "EBLC"):
        if table in font:
            del font[table]
    mend_metrics(font)
    map_tab(font)
    if bold:
        make_bold(font)
    font.save(target)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], "--bold" in sys.argv[3:])
