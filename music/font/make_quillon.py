#!/usr/bin/python3
"""Builds "Quillon", the music font of the notation controls.

Usage: make_quillon.py NOTO_MUSIC_TTF NOTO_SERIF_BOLD_TTF OUTPUT_TTF

The glyphs come from Noto Music (clefs, heads, rests, accidentals, flags, the dot) and
Noto Serif Bold (time-signature figures and the chord-quality marks), both under the SIL
Open Font License 1.1 (see OFL.txt beside this script). Each glyph is placed on the
8-bit character code that the controls draw (as the code point U+0000..U+00FF), and sized
and positioned so that the controls' drawing rules put it on the staff where the student
program means it to be.

How the numbers were derived
============================

Frame of reference. The controls draw glyph text top-aligned: the text cell's top is at y
and the baseline at y + ascent. The default music font is 28 points = 37 pixels at 96 dpi
(MusicKey uses 14 points = 19 pixels). The student program's staff has lines 10 pixels
apart (one line space = 150 twips, a staff step = 75 twips = 5 pixels).

Units per em. UPM = 1480 = 37 x 40, so that at the default size one pixel is exactly 40
font units and every metric chosen as a multiple of 40 lands on a whole pixel.
One staff space (10 px) = 400 units.

Internal leading IL = 47 and character height H = 84 at 37 px:
 * Leger line of a line note (Note rule): y = NoteTop + IL + IL/35. The student program puts
   a line note's head 720 twips = 48 px below its NoteTop (the snapping code: a note
   control whose top is `ref` has its head on the bottom line, ref = line - 720 - 15 x
   NoteTop). So IL + IL/35 = 48 -> IL = 47 (47 + 1 = 48; 46 + 1 = 47 misses).
 * Cross-checks with IL = 47: the stem-up bottom NoteTop + IL + IL/25 = +48 (head centre);
   leger lines of space notes at +47 - 3 = +44 and +47 + 5 = +52, which with the snapping
   code's 1 px nudge (15 twips) are exactly 5 px from the head centre, i.e. on the line;
   repeat dots of the BarLine at y + floor(1.5 x 10) - IL = y - 32 put a dot glyph whose
   centre is at cell + 47 into the second space (y + 15) and third space (y + 25);
   whole/half rest lines at NoteTop + IL - IL/15 = +44 and NoteTop + IL + IL/25 = +48.
 * H = em + IL = 37 + 47 = 84. Cross-checks: the stem-down end NoteTop + StemLength -
   trunc(-1.2 x 84) = NoteTop - 10 + 100 = +110 px from the note control's top; a beam for
   down stems is placed 1250 twips (83.3 px) below the note top with its main beam 25 px
   lower (+108..+110): stem and beam meet. Key-signature steps u = H / 15 = 5 px = one
   staff step. Flags stack H / 10 = 8 px apart.

Ascent 48 px (1920 units), descent 36 px (1440 units), H = 84, IL = 47 at 37 px.
The split puts the baseline at cell + 48, the row on which the student program puts the
reference line of every symbol: a note head's line (+720 twips), the treble clef's G line
(the clef's top is 645 twips, the staff's top line 915 twips: 270 twips = 18 px, and the G
line is 30 px lower: +48), the C clef's middle line (line - 420 twips for alto = +28 to the
top line, +48 to the third line; tenor - 570 twips = +38 to the top line, +48 to the fourth
line), the bass clef's F line (placed by a click on the line, top = line - 720 twips), the
percussion clef's middle line (top 500 twips, top line at 31 + 30 = 61 px: +28 and +48),
the half rest's middle line (rest top = staff top + 545 - 510 twips = +2 px: lines at
+28, 38, 48, 58, 68) and the whole rest's fourth line (staff top + 450 - 510 twips = -4 px:
lines at +34, 44, ...). hhea, OS/2 typo (USE_TYPO_METRICS set) and OS/2 win metrics all
say 1920 / 1440 / line gap 0, so every consumer gets the same numbers. At 19 px (14 pt):
ascent round(24.65) = 25, descent round(18.49) = 18, H = 43, IL = 24.

Staff position. A staff line drawn on pixel row r covers [r, r + 1); its centre is r + 0.5.
The reference row 48 is therefore centred 0.5 px below the baseline: REF = -20 units.
A symbol centred on a staff position p spaces above the reference line sits at
y = REF + 400 p.

Note heads (0xCF black, 0xFA void): 10 px tall = one space, centred on REF: y in
[-220, 180]. Width 12 px (480 units), ink from x = 0 to the advance: the stem-up rule draws
the stem in column NoteLeft + w - 1 and the stem-down rule in column NoteLeft, so both stems
fall on the outermost ink columns of the head. Stem up runs from NoteTop - StemLength to
NoteTop + 48 (end point excluded) and so overlaps the head's upper right half; stem down
starts at NoteTop + 47 and overlaps its left half. Whole note "w" 15 x 10 px, breve "W"
21 px wide (the whole note's oval between pairs of bars on whole pixel columns: a lesson's
note control leaves 36 - 15 = 21 px right of NoteLeft), both centred on REF.

Flags. Up: yf = NoteTop - IL - StemLength and the stem's top is NoteTop - StemLength, so
the flag glyph's top must be IL = 47 px below its cell top: 1 px above the baseline,
y = +40. Down: yf = NoteTop + StemLength - v/2 with v = trunc(-1.2 H) = -100, and the stem
ends (end point excluded) at NoteTop + StemLength - v, 50 px below yf: 2 px below the
baseline, y = -80; the down flags are the up flags mirrored. Flags start at x = 0, the
stem's column (the rules draw them at x = the stem's x), and are 10 px wide, so a flag
ending at the note control's right edge (NoteLeft 15 + 11 + 10 = 36 of 36.7 px) is not cut.
The last flag ("j" up, "J" down) is Noto's single flag, 23 px deep; the inner ones (0xFB up,
0xF0 down) are the same flag with its tail shortened to 16 px so it tucks into the next
flag 8 px away. The depth is what the stems allow: the rules stack the flags H/10 = 8 px
apart along a stem of 38 px (up, from the stem's top to the head's centre) or 42 px (down),
so a sixteenth's last flag starts 8 px along it and, 23 px deep, still ends 2 px short of
the head's top (up, rows +18..+41 against +43.5) or 5 px below its bottom (down). Hosts give
stems of three flags or more 8 px more for each flag beyond two, which keeps them the same.

Dot ".": advance 5 px, so the Note rule's first dot is at NoteLeft + trunc(1.6 x 5) +
trunc(1.6 x 5) = +16 (head ends at +12) and further dots 8 px apart; mirrored heads put it
at trunc(3.5 x 5) + 8 = +25, just after the mirrored head (+11..+23). Dot 3.9 px across,
centred 0.5 px above the baseline (row 47: the BarLine's repeat dots land mid-space).

Rests. 0xEE (whole and half) is a 11 x 5 px block on rows 44..48: the half rest's line
(row 48) is its bottom row, so it sits on the middle line; the whole rest's line (row 44)
its top row, so it hangs from the fourth line. With w = 11 the rule's line runs from
w - 16 = -5 to w - 1 + (w/3) x 2 = 16 and overhangs the block 5 px on both sides. The breve
rest (0xE3) is a block 5 px wide from the fourth line down to the middle line (rows 38..48).
The other rests take Noto Music's staff placement with Noto's middle line on REF, except
that the sixteenth and 64th rests come half a space lower: their hooks then fill the third
and second spaces (sixteenth) and the fourth to first (64th), as engraved, instead of
standing centred a half space above the eighth's and 32nd's.

Clefs keep Noto Music's staff placement (Noto staff: lines at 12, 256, 500, 744, 988,
space 244 units), scaled 400/244, with the clef's own line on REF: G clef line 2, C clef
line 3, and for the F clef the point midway between its dots (Noto draws it 100 units
below its fourth line). The percussion clef (0xD6) is squeezed to two spaces around the
middle line, its bars thickened to about 3 px. "B" is the C clef (the host places it for
alto or tenor); "V", the tenor clef, is the G clef with an 8 below (the tenor voice's clef,
an octave under the treble), on the G line like the treble clef.

Time-signature figures ("0".."9"), Noto Serif Bold scaled to 20 px (two spaces) tall.
Metre rule: e = trunc(0.9 IL) = 42, upper figure cell at MetreTop - 32, lower at
MetreTop + H/4 - 32 = MetreTop - 11. The student program puts the metre control 350 twips
below the staff control, whose top line is 450 twips below it: the top line is 7 px
(100 twips, floored to pixels) below the metre's top. In cell coordinates the top line is
then at row 39 of the upper figure and the middle line at row 59; the middle line at row 38
of the lower figure and the bottom line at row 58. Figures drawn from y = 39 to y = 59
(continuous), i.e. y in [-440, 360] units, cover the top line and stop at the middle line
above, start just below the middle line and cover the bottom line below: "4" over "4"
fills the staff. Advance 16 px.

Accidentals are centred on REF like the heads (the Note rule draws them at NoteTop, the
head's own cell top). The editor's lone key-signature accidentals are placed with the
clicked line 290 twips (20 px once floored) below the element's top, in an element only
495 twips (33 px) tall: they need KeyTop = 20 - 48 = -28 to bring the glyph onto that line
(the key-signature template at the clef's height, 18 px above the top line, needs -30).
Sharp 26 x 7 px, natural 30 x 6 px, flat 24.5 x 7 px with its bowl on REF, double sharp one
space square, double flat 11 px wide. Each has a right side bearing of 2 px, so that an
accidental drawn at AccidentalOffset 0 (x = NoteLeft - width, as the lessons draw them)
stands a fifth of a space clear of its head: advances 9, 8, 9, 12 and 13 px. Their stems
fall on whole pixel columns and print as crisp single pixels. Noto's wide sharp and natural
are narrowed, the sharp's stems thickened to stay 1 px wide after narrowing, and their beams
sheared back to a normal slope. A natural before a sharp or flat ("n#", "nb") is replaced
by a combined sign 15 px wide (required ligatures in GSUB): the lessons' notes leave 15 px
(NoteLeft) for the accidental, and two advances of 8 + 9 px cut off the natural's stem.

Chord-quality marks (MusicKey): "o" diminished, 0xBF half-diminished and 0xC0 augmented
"+", from Noto Serif Bold's o, oslash and plus, scaled so the o is one space tall (the plus
a third larger, to match the o's width), centred on REF. Space (" ", the blank accidental
of key names) and every code that names no symbol are blank, 9 px wide; mapping the whole
Latin-1 range keeps font matching on this face for Latin text instead of falling back to
another family.

Chord-symbol figures. At 14 points the time-signature figures are 10.3 px tall while
MusicKey stacks its figures h/3 = 7 px apart (h = 21, the letter font's height), so 6 over 4
would overlap by 3 px. MusicKey draws its figures from a second set of digits on U+E030..
U+E039, 6 px tall at 19 px (rows 22..28 of the cell, overshoots included), leaving a clean
row between stacked figures, and centred on REF like the sharp or flat that marks an
altered figure on the figure's own line. 6 px advance at 19 px.

Maximum advance. The BarLine rule takes W = the font's maximum character width: repeat
dots at W/4, the thick bar of a final bar line from W/7 to 2(W/9) - 1, and so on. W = 48 px
(hhea advanceWidthMax 1920) gives a final bar of thin 2 and thick 6..8, a repeat start of
thick 3..5, thin 9, dots 12, and a repeat end of dots 0, thin 6, thick 10..12: both repeats
equally heavy, and everything inside the 10 px bar-line element that the melody lesson puts
75 twips before the staff's end, so its thick stroke meets the lines' end.

Sharps and flats advance 9 px: a key signature of seven signs is 63 px, the width of the
key-signature element the lessons place (945 twips).
"""

import io
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.misc.timeTools import timestampSinceEpoch
from fontTools.pens.basePen import BasePen
from fontTools.pens.reverseContourPen import ReverseContourPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

UPM = 1480
PX = 40                  # font units per pixel at 37 px
SPACE = 10 * PX          # one staff space
REF = -PX // 2           # centre of the reference staff line (0.5 px below the baseline)
ASCENT = 48 * PX
DESCENT = 36 * PX
MAX_ADVANCE = 48 * PX
BLANK_ADVANCE = 9 * PX
FIGURED_DIGITS = 0xE030  # "0".."9" of chord-symbol figures

NOTO_SPACE = 244         # Noto Music staff: lines at 12, 256, 500, 744, 988
K = SPACE / NOTO_SPACE   # Noto Music staff units -> Quillon units


class MapPen(BasePen):
    """Sends an outline through a point function (x, y) -> (x, y) into another pen."""

    def __init__(self, out, fn):
        super().__init__(None)
        self.out, self.fn = out, fn

    def _p(self, pt):
        x, y = self.fn(*pt)
        return (round(x), round(y))

    def moveTo(self, pt):
        self.out.moveTo(self._p(pt))

    def lineTo(self, pt):
        self.out.lineTo(self._p(pt))

    def qCurveTo(self, *pts):
        self.out.qCurveTo(*[None if p is None else self._p(p) for p in pts])

    def curveTo(self, *pts):
        self.out.curveTo(*[self._p(p) for p in pts])

    def closePath(self):
        self.out.closePath()

    def endPath(self):
        self.out.endPath()

    def addComponent(self, name, transform):
        raise ValueError("components are drawn decomposed")


def piecewise(points):
    """A piecewise-linear function through (x_in, x_out) pairs, extended at both ends."""
    def f(x):
        for (a, fa), (b, fb) in zip(points, points[1:]):
            if x <= b or (b, fb) == points[-1]:
                return fa + (x - a) * (fb - fa) / (b - a)
        return x
    return f


class Builder:
    def __init__(self, music_path, serif_path):
        self.music = TTFont(music_path)
        self.serif = TTFont(serif_path)
        self.music_gs = self.music.getGlyphSet()
        self.serif_gs = self.serif.getGlyphSet()
        self.music_cmap = self.music.getBestCmap()
        self.serif_cmap = self.serif.getBestCmap()
        self.glyphs = {}     # name -> TT glyph
        self.advances = {}   # name -> advance width
        self.order = []

    def _source(self, font, char):
        if font == "music":
            return self.music_gs[self.music_cmap[char]]
        return self.serif_gs[self.serif_cmap[char]]

    def add(self, name, advance, font, char, fn, mirror=False):
        pen = TTGlyphPen(None)
        target = ReverseContourPen(pen) if mirror else pen
        self._source(font, char).draw(MapPen(target, fn))
        self._store(name, advance, pen.glyph())

    def add_combined(self, name, advance, parts):
        """One glyph drawn from several source glyphs, each through its own point function."""
        pen = TTGlyphPen(None)
        for font, char, fn in parts:
            self._source(font, char).draw(MapPen(pen, fn))
        self._store(name, advance, pen.glyph())

    def add_rect(self, name, advance, x0, y0, x1, y1):
        pen = TTGlyphPen(None)
        pen.moveTo((x0, y0))
        pen.lineTo((x0, y1))
        pen.lineTo((x1, y1))
        pen.lineTo((x1, y0))
        pen.closePath()
        self._store(name, advance, pen.glyph())

    def add_blank(self, name, advance):
        self._store(name, advance, TTGlyphPen(None).glyph())

    def _store(self, name, advance, glyph):
        if advance is None:
            # Whole pixels at 37 px, at least the ink's right edge.
            glyph.recalcBounds(None)
            advance = -(-glyph.xMax // PX) * PX
        self.glyphs[name] = glyph
        self.advances[name] = advance
        self.order.append(name)


def box_map(src_box, dst_box):
    """Maps the source box (x0, y0, x1, y1) linearly onto the destination box."""
    sx0, sy0, sx1, sy1 = src_box
    dx0, dy0, dx1, dy1 = dst_box
    ax = (dx1 - dx0) / (sx1 - sx0)
    ay = (dy1 - dy0) / (sy1 - sy0)
    return lambda x, y: (dx0 + (x - sx0) * ax, dy0 + (y - sy0) * ay)


def staff_map(noto_line_y, x_left, scale_y=K, scale_x=K, x_out=0):
    """Noto Music staff placement: the Noto line at noto_line_y goes onto REF."""
    return lambda x, y: (x_out + (x - x_left) * scale_x, REF + (y - noto_line_y) * scale_y)


def build(music_path, serif_path, out_path):
    b = Builder(music_path, serif_path)
    b.add_blank(".notdef", BLANK_ADVANCE)
    b.add_blank("space", BLANK_ADVANCE)

    # Clefs (Noto x starts at 50 after the left side bearing).
    b.add("gClef", None, "music", 0x1D11E, staff_map(256, 50, x_out=PX // 2))
    # The tenor voice's clef: the G clef with an 8 below, standing where the G clef stands.
    b.add("gClef8vb", None, "music", 0x1D120, staff_map(256, 50, x_out=PX // 2))
    # Noto's F clef puts its F line midway between its dots (480..589 and 700..809).
    b.add("fClef", None, "music", 0x1D122, staff_map(644.5, 50, x_out=PX // 2))
    b.add("cClef", None, "music", 0x1D121, staff_map(500, 50, x_out=PX // 2))
    # Percussion clef: Noto's two thin bars, thickened to about 3 px and squeezed to two
    # spaces around the middle line.
    perc_x = piecewise([(50, 50), (97, 120), (198, 178), (245, 245)])
    b.add("percussionClef", 10 * PX, "music", 0x1D125,
          lambda x, y: (PX + (perc_x(x) - 50) * K, REF + (y - 500) * K / 2))

    # Heads: exactly one space tall, ink from 0 to the advance.
    b.add("headBlack", 12 * PX, "music", 0x1D158,
          box_map((50, -1, 347, 269), (0, REF - SPACE // 2, 12 * PX, REF + SPACE // 2)))
    b.add("headVoid", 12 * PX, "music", 0x1D157,
          box_map((50, -1, 347, 269), (0, REF - SPACE // 2, 12 * PX, REF + SPACE // 2)))
    # 15 px, not the 17 of Noto's proportions: the Note rule puts the first dot 16 px after
    # the head's left edge whatever the head, so a wider whole note would touch its dot.
    b.add("wholeNote", 15 * PX, "music", 0x1D15D,
          box_map((50, 8, 464, 260), (0, REF - SPACE // 2, 15 * PX, REF + SPACE // 2)))
    # The breve: the whole note's oval (15 px) between two pairs of bars on whole pixel
    # columns (0, 2 and 18, 20). 21 px in all, the room a lesson's note control leaves right
    # of NoteLeft (36 - 15 px): a wider breve lost its outer right bar there.
    breve_y = SPACE / 252
    breve_x = piecewise([(50, 0), (85, PX), (114, 2 * PX), (150, 3 * PX), (564, 18 * PX),
                         (597, 19 * PX), (628, 20 * PX), (663, 21 * PX)])
    b.add("breve", 21 * PX, "music", 0x1D15C,
          lambda x, y: (breve_x(x), REF + (y - 135) * breve_y))

    # Rests. The whole and half rests share a block; the breve rest fills the space between
    # the middle line and the fourth, rows 38..48 of a rest's cell.
    b.add_rect("restBlock", 11 * PX, 0, -PX, 11 * PX, 4 * PX)
    b.add_rect("restBreve", 11 * PX, 3 * PX, -PX, 8 * PX, SPACE)
    # Noto centres every rest on the middle line. Engraved, each added hook goes alternately
    # below and above: the eighth's hook in the third space, the sixteenth's in the third and
    # second, the 32nd's in the fourth to second, and so on, so the sixteenth and 64th rests
    # come half a space lower than Noto has them.
    for name, cp, drop in (("restQuarter", 0x1D13D, 0), ("rest8th", 0x1D13E, 0),
                           ("rest16th", 0x1D13F, SPACE // 2), ("rest32nd", 0x1D140, 0),
                           ("rest64th", 0x1D141, SPACE // 2), ("rest128th", 0x1D142, 0)):
        b.add(name, None, "music", cp,
              lambda x, y, m=staff_map(500, 50), drop=drop: (m(x, y)[0], m(x, y)[1] - drop))

    # Accidentals, centred on REF, with 2 px clear before the advance's right edge: the
    # lessons draw them at AccidentalOffset 0, their advance ending on the head's left edge,
    # and an engraver leaves about a fifth of a space between accidental and head. Stems
    # fall on whole pixel columns (the controls draw glyphs at whole pixels), so they print
    # as crisp one-pixel strokes rather than grey pairs.
    def sharp_at(x_out, cx):
        # Noto's stems (149..196, 357..404) onto columns 1 and 5 of 7 px: 1 px beyond each.
        sx = piecewise([(51, 0), (149, PX), (196, 2 * PX), (357, 5 * PX), (404, 6 * PX),
                        (502, 7 * PX)])
        sy = 1080 / (590 + 233)

        def fn(x, y):
            xo = sx(x)
            return x_out + xo, REF + (y - 178.5) * sy - 0.44 * (xo - cx)
        return fn

    def natural_at(x_out, stem2):
        # Noto's stems (51..98, 259..306) onto column 0 and column stem2.
        sx = piecewise([(51, 0), (98, PX), (259, stem2 * PX), (306, (stem2 + 1) * PX)])
        sy = 1080 / (404 + 213)
        cx = (stem2 + 1) * PX / 2

        def fn(x, y):
            xo = sx(x)
            return x_out + xo, REF + (y - 95.5) * sy - 0.44 * (xo - cx)
        return fn

    def flat_at(x_out):
        # Noto's stem (51..88) onto column 0, the bowl to 7 px.
        sx = piecewise([(51, 0), (88, PX), (296, 7 * PX)])
        sy = 980 / 549
        return lambda x, y: (x_out + sx(x), REF - PX // 2 + (y - 121) * sy)

    b.add("sharp", 9 * PX, "music", 0x266F, sharp_at(0, 3.5 * PX))
    b.add("natural", 8 * PX, "music", 0x266E, natural_at(0, 5))
    b.add("flat", 9 * PX, "music", 0x266D, flat_at(0))
    # Double flat: Noto's stems (50..79, 218..249) onto columns 0 and 5, 11 px of ink. 13 px
    # in all, so that at the lessons' NoteLeft of 15 px it starts inside the note control.
    dflat_x = piecewise([(50, 0), (79, PX), (218, 5 * PX), (249, 6 * PX), (417, 11 * PX)])
    b.add("doubleFlat", 13 * PX, "music", 0x1D12B,
          lambda x, y: (dflat_x(x), REF - PX // 2 + (y - 103.5) * 1.6))
    b.add("doubleSharp", 12 * PX, "music", 0x1D12A,
          lambda x, y: ((x - 50) * SPACE / 262, REF + (y - 131) * SPACE / 262))
    # A natural before a sharp or flat ("n#", "nb") is set as one sign 15 px wide, the room
    # the lessons' notes give an accidental (NoteLeft 15): a narrower natural, a pixel, then
    # the sharp or flat and 2 px before the head. Drawn from two advances (8 + 9) it would
    # lose the natural's first stem at the note control's edge.
    b.add_combined("naturalSharp", 15 * PX, [("music", 0x266E, natural_at(0, 4)),
                                             ("music", 0x266F, sharp_at(6 * PX, 3.5 * PX))])
    b.add_combined("naturalFlat", 15 * PX, [("music", 0x266E, natural_at(0, 4)),
                                            ("music", 0x266D, flat_at(6 * PX))])

    # Augmentation dot: 5 px advance, centred on row 47 (0.5 px above the baseline).
    b.add("dot", 5 * PX, "music", 0x1D16D,
          lambda x, y: (5 * PX / 2 + (x - 47) * K, PX / 2 + (y - 278) * K))

    # Flags. Noto's single flag has its top at y 1009 and its stem side at x 0. The last
    # flag is 23 px deep and an inner flag 16 px: the rules stack flags 8 px apart from a
    # stem of 38 px (up) or 42 px (down), so a sixteenth's last flag, 8 px further along,
    # still ends 2 px short of its head (up) or 5 px (down). Hosts lengthen the stem 8 px
    # for each flag beyond two, which keeps shorter values the same.
    flag_sx = (10 * PX) / 274
    flag_sy = (23 * PX) / (1009 - 259)

    def flag_up(x, y):
        return x * flag_sx, PX + (y - 1009) * flag_sy

    def flag_down(x, y):
        return x * flag_sx, -2 * PX - (y - 1009) * flag_sy

    # An inner flag keeps the head of the flag and pulls its tail up: depths below the
    # flag's top (Noto units) beyond 300 are halved, so the tail ends inside the next flag.
    def shorten(y):
        d = 1009 - y
        return y if d <= 300 else 1009 - (300 + (d - 300) * 0.5)

    b.add("flagUp", 10 * PX, "music", 0x1D16E, flag_up)
    b.add("flagUpInner", 10 * PX, "music", 0x1D16E, lambda x, y: flag_up(x, shorten(y)))
    b.add("flagDown", 10 * PX, "music", 0x1D16E, flag_down, mirror=True)
    b.add("flagDownInner", 10 * PX, "music", 0x1D16E,
          lambda x, y: flag_down(x, shorten(y)), mirror=True)

    # Time-signature figures: Noto Serif Bold, flat figure height 714 -> 800 units,
    # baseline at -440 (pixel row 59 of the cell), centred in a 16 px advance.
    fig_s = 800 / 714
    fig_dx = (16 * PX - 559 * fig_s) / 2
    digit_names = ["zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"]
    for i, name in enumerate(digit_names):
        b.add("figure" + name.capitalize(), 16 * PX, "serif", ord("0") + i,
              lambda x, y: (fig_dx + x * fig_s, -11 * PX + y * fig_s))

    # A plus between figures, for complex metres such as "3+2".
    b.add("figurePlus", 16 * PX, "serif", ord("+"),
          lambda x, y: ((16 * PX - 559 * fig_s) / 2 + x * fig_s, -11 * PX + y * fig_s))

    # Figured-bass digits for chord symbols, on U+E030..U+E039 (private use: the 8-bit codes
    # keep the time-signature figures). Chord symbols draw them at 14 points (19 px), where
    # the figures of a chord stack 7 px apart: 6 px tall, so a pixel row stays clear between
    # them, and centred on REF like the accidentals that mark altered figures on their line.
    px14 = UPM / 19
    fig14_s = 6 * px14 / (724 + 10)   # overshoots included: round figures stay inside too
    fig14_adv = round(6 * px14)
    fig14_sx = fig14_s * 1.1      # a little wider than the serif's own proportion, to read
    fig14_dx = (fig14_adv - 559 * fig14_sx) / 2
    for i, name in enumerate(digit_names):
        b.add("figured" + name.capitalize(), fig14_adv, "serif", ord("0") + i,
              lambda x, y: (fig14_dx + x * fig14_sx, -3 * px14 + (y + 10) * fig14_s))

    # Chord-quality marks: the o one space tall, centred on REF.
    q_s = SPACE / 559

    def quality(cx, cy, adv, s=q_s):
        return lambda x, y: (adv / 2 + (x - cx) * s, REF + (y - cy) * s)
    b.add("diminished", 10 * PX, "serif", ord("o"), quality(306.5, 269.5, 10 * PX))
    b.add("halfDiminished", 10 * PX, "serif", 0xF8, quality(306.5, 269.5, 10 * PX))
    # The plus is drawn as wide as the o (Noto's plus is narrower than its o).
    b.add("augmented", 11 * PX, "serif", ord("+"), quality(279.5, 357.5, 11 * PX, 1.3 * q_s))

    codes = {
        0x26: "gClef", 0x3F: "fClef", 0x42: "cClef", 0x56: "gClef8vb", 0xD6: "percussionClef",
        0x77: "wholeNote", 0xFA: "headVoid", 0xCF: "headBlack", 0x57: "breve",
        0xEE: "restBlock", 0xE3: "restBreve", 0xCE: "restQuarter", 0xE4: "rest8th", 0xC5: "rest16th",
        0xA8: "rest32nd", 0xF4: "rest64th", 0xE5: "rest128th",
        0x23: "sharp", 0x62: "flat", 0xBA: "doubleFlat", 0xDC: "doubleSharp", 0x6E: "natural",
        0x2E: "dot", 0x2B: "figurePlus",
        0xFB: "flagUpInner", 0x6A: "flagUp", 0xF0: "flagDownInner", 0x4A: "flagDown",
        0xC0: "augmented", 0x6F: "diminished", 0xBF: "halfDiminished",
    }
    for i, name in enumerate(digit_names):
        codes[0x30 + i] = "figure" + name.capitalize()
    cmap = {c: codes.get(c, "space") for c in range(0x20, 0x100)}
    for i, name in enumerate(digit_names):
        cmap[FIGURED_DIGITS + i] = "figured" + name.capitalize()

    fb = FontBuilder(UPM, isTTF=True)
    fb.setupGlyphOrder(b.order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(b.glyphs)
    metrics = {}
    for name in b.order:
        g = b.glyphs[name]
        g.recalcBounds(fb.font["glyf"])
        lsb = g.xMin if g.numberOfContours else 0
        metrics[name] = (b.advances[name], lsb)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT, lineGap=0)
    fb.setupNameTable({
        "copyright": "Glyphs derived from Noto Music and Noto Serif, Copyright 2010, "
                     "2012-2020 Google Inc., 2015-2020 Google LLC.",
        "familyName": "Quillon",
        "styleName": "Regular",
        "uniqueFontIdentifier": "Quillon-Regular;1.000",
        "fullName": "Quillon",
        "version": "Version 1.000",
        "psName": "Quillon-Regular",
        "licenseDescription": "This Font Software is licensed under the SIL Open Font "
                              "License, Version 1.1.",
    })
    fb.setupOS2(
        version=4, usWeightClass=400, usWidthClass=5, fsType=0, achVendID="NONE",
        fsSelection=0x0040 | 0x0080,          # REGULAR | USE_TYPO_METRICS
        sTypoAscender=ASCENT, sTypoDescender=-DESCENT, sTypoLineGap=0,
        usWinAscent=ASCENT, usWinDescent=DESCENT,
        ulUnicodeRange1=0b11,                 # Basic Latin, Latin-1 Supplement
        ulUnicodeRange2=1 << 28,              # Private Use Area (the figured digits)
        ulCodePageRange1=1,                   # Latin 1
        sxHeight=SPACE, sCapHeight=2 * SPACE,
        usDefaultChar=0, usBreakChar=0x20,
    )
    fb.setupPost(underlinePosition=-4 * PX, underlineThickness=PX)
    # Required ligatures (always applied by the shaper, kerning on or off): the combined
    # accidentals, measured and drawn as one sign.
    fb.addOpenTypeFeatures("""
        languagesystem DFLT dflt;
        languagesystem latn dflt;
        feature rlig {
            sub natural sharp by naturalSharp;
            sub natural flat by naturalFlat;
        } rlig;
    """)
    # A fixed date keeps the build reproducible.
    stamp = timestampSinceEpoch(1704067200)  # 2024-01-01
    fb.setupHead(unitsPerEm=UPM, fontRevision=1.0, created=stamp, modified=stamp)

    # First pass computes bounding boxes and the rest; then the maximum advance is set to
    # the value the bar-line geometry needs and written without recalculation.
    buf = io.BytesIO()
    fb.save(buf)
    buf.seek(0)
    font = TTFont(buf, recalcBBoxes=False, recalcTimestamp=False)
    font["hhea"].advanceWidthMax = MAX_ADVANCE
    font.save(out_path)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__.split("\n\n")[1] + "\n")
        sys.exit(2)
    build(sys.argv[1], sys.argv[2], sys.argv[3])
