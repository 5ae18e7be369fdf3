#!/usr/bin/env python3
"""Copies Debian's free Tahoma (fonts-wine) with its capital dotted I mended.

The glyph for U+0130 is a plain stem that keeps the advance of the serifed
capital I, so every word with an "İ" shows a gap after it ("İ STANBUL").
The copy gives that glyph the side bearings of the stem and drops the
embedded bitmap strikes, whose metrics disagree with the outlines.
"""
import sys

from fontTools.ttLib import TTFont


def main(source, target):
    font = TTFont(source)
    glyph = font["glyf"]["Idotaccent"]
    advance, lsb = font["hmtx"]["Idotaccent"]
    font["hmtx"]["Idotaccent"] = (glyph.xMax + lsb + 38, lsb)
    for table in ("EBDT", "EBLC"):
        if table in font:
            del font[table]
    font.save(target)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
