#include "staffmath.h"

#include "common/basic.h"

#include <cmath>

namespace staffedit {

using basic::Int;
using basic::roundHalfEven;

double snapClick(double y) { return Int((y + 15) / kStep) * kStep; }

int spacingCorrection(int ticks) {
    switch (ticks) {
    case 256: return 384;
    case 512: return 256;
    case 1024: return 0;
    case 2048: return -128;
    case 3072: return -512;
    case 4096: return -768;
    case 6144: return -1152;
    case 8192: return -2048;
    case 12288: return -5632;  // the dotted whole breaks the row's progression on purpose
    default: return 0;
    }
}

double noteTopForClick(double staffTop, double y, int noteTopPixels) {
    return staffTop + snapClick(y) - 215 - (noteTopPixels + 34) * 15.0;
}

double restTop(double staffTop, int noteName, int noteTopPixels) {
    const double r = noteName == 0 ? 450 : 545;
    return staffTop + r - (noteTopPixels + 34) * 15.0;
}

double noteLeftByDuration(double staffLeft, double leftOffset, double ticksBefore, int quarterWidth,
                          double correction) {
    return staffLeft + leftOffset + ticksBefore / 2048.0 * quarterWidth + correction;
}

double noteLeftBySlots(double staffLeft, double leftOffset, double slotWidth, double rhythmicOffset,
                       int noteValueTicks) {
    if (noteValueTicks == 0) return staffLeft + leftOffset;
    return staffLeft + leftOffset + slotWidth * rhythmicOffset / noteValueTicks;
}

Point clefPosition(double staffLeft, double staffTop, double y) {
    return {staffLeft + 60, staffTop + snapClick(y) - 720};
}

Point keyAccidentalPosition(double staffLeft, double staffTop, double y, int k, double keyLeftOffset) {
    return {staffLeft + 510 + 130.0 * k + keyLeftOffset, staffTop + snapClick(y) - 290};
}

Point metrePosition(double staffLeft, double staffTop, int accidentals) {
    return {staffLeft + 130.0 * accidentals + 160, staffTop + 350};
}

double keySignLeft(double staffLeft, int place, double offset) {
    return staffLeft + 130.0 * place + 510 + offset;
}

double keySignDropTop(double top, double y) { return Int((top + y + 15) / kStep) * kStep - 275; }

double keySignBoundedTop(double top, double staffTop, double staffHeight) {
    if (top > staffTop + staffHeight || top < staffTop) return staffTop + 200;
    return top;
}

LegerPreview legerPreview(double x, double y, double staffLeft, double staffTop, int lineTopPx,
                          int lineSpacePx, int count) {
    LegerPreview p;
    const double top = lineTopPx * 15.0;
    const double bottom = top + lineSpacePx * 4 * 15.0;
    p.x1 = staffLeft + x - 100;
    p.x2 = staffLeft + x + 200;
    int dir = 0;
    double distance = 0;
    if (y > bottom) { dir = 1; distance = y - bottom - 25; }
    else if (y < top) { dir = -1; distance = top - y - 25; }
    if (dir != 0) {
        const double n = roundHalfEven(roundHalfEven(distance) / kLineSpace);
        p.shown = n > count ? 10 : int(n);
        if (p.shown < 0) p.shown = 0;
    }
    for (int i = 1; i <= count; ++i)
        p.y.push_back(dir >= 0 ? staffTop + bottom + kLineSpace * i : staffTop + top - kLineSpace * i);
    return p;
}

int bottomLineRef(double staffTop, int lineTopPx, int lineSpacePx, int templateNoteTopPx) {
    return int(roundHalfEven(staffTop + 15.0 * lineTopPx + 60.0 * lineSpacePx - 720 -
                             15.0 * templateNoteTopPx));
}

NoteFit fitNote(const NoteFitInput& in) {
    const int ref = bottomLineRef(in.staffTop, in.lineTopPx, in.lineSpacePx, in.templateNoteTopPx);
    const int phase = ref % kStep;
    const double half = (ref % kLineSpace == 0) ? kStep : 0;
    NoteFit f;
    f.left = in.left;
    f.top = in.top;
    if (in.moving) {
        f.left = in.left + in.x - in.dragX;
        f.top = Int((in.top + in.y - in.dragY) / kStep) * kStep + phase;
        const double d = ref - f.top;
        const bool onLine = std::fmod(d + half, double(kLineSpace)) == 0;
        if (d < 0) {
            f.stemDirection = -1;
            int leger = int(-Int(d / kLineSpace));
            if (!onLine) {
                f.lineNote = false;
                leger -= 1;
                if (leger > 0) f.top -= 15;
            } else {
                f.lineNote = true;
            }
            f.legerLines = leger;
        } else {
            const double high = kStep * Int((ref - phase - f.top + 15.0 * in.noteTopPx) / kStep);
            if (high < 600) {
                f.legerLines = 0;
                // Without leger lines the head's line or space still places its dot.
                f.lineNote = onLine;
            } else {
                f.stemDirection = 0;
                int leger = int(Int(d / kLineSpace)) - 4;
                if (!onLine) {
                    f.lineNote = false;
                    if (leger > 0) f.top += 15;
                } else {
                    f.lineNote = true;
                }
                f.legerLines = leger;
            }
        }
    }
    f.step = int(roundHalfEven((ref - f.top) / kStep));
    return f;
}

QString letterForStep(int clef, bool tenor, int step) {
    const int k = step + 7;
    if (k < 0 || k > 23) return QString();
    static const char* const treble[] = {"E", "F", "G", "A", "B", "C", "D"};
    static const char* const bass[] = {"G", "A", "B", "C", "D", "E", "F"};
    static const char* const tenorRow[] = {"D", "E", "F", "G", "A", "B", "C"};
    static const char* const alto[] = {"F", "G", "A", "B", "C", "D", "E"};
    switch (clef) {
    case 0: return treble[k % 7];
    case 1: return bass[k % 7];
    case 2: return tenor ? tenorRow[k % 7] : alto[k % 7];
    default: return QString();
    }
}

bool clefInTenorPosition(double clefTop, double staffTop, int lineTopPx) {
    return clefTop == staffTop + 15.0 * lineTopPx - 570;
}

SlurPlace slurPlace(int direction, double noteLeft, double noteTop, int noteLeftPx,
                    double templateTop, double templateWidth) {
    SlurPlace s;
    s.left = noteLeft + 15.0 * noteLeftPx + 55;
    s.width = templateWidth + 150;
    const double lift = direction == -1 ? 800 : 450;
    s.curveDirection = direction == -1 ? -1 : 0;
    s.top = templateTop + noteTop - 495 - lift;
    return s;
}

Rect frameAround(const Rect& r) { return {r.left - 30, r.top - 30, r.width + 60, r.height + 60}; }

bool beamedNoteGetsBox(double noteTop, int stemDirection, double beamTop) {
    const double beamRow = kStep * Int(beamTop / kStep);
    if (kStep * Int((noteTop + 1250) / kStep) > beamRow || noteTop + 450 == beamTop) return true;
    return stemDirection == 0 && kStep * Int((noteTop + 2010) / kStep) > beamRow;
}

TicksBefore ticksBefore(const std::vector<StaffNote>& notes, std::optional<double> templateLeft,
                        std::optional<int> stemFilter, int endLimit, bool correctSpacing) {
    TicksBefore t;
    for (const StaffNote& n : notes) {
        if (n.ticks + t.ticks == endLimit) continue;
        if (templateLeft) {
            if (!(n.left < *templateLeft)) continue;
        } else if (stemFilter && n.stemDirection != *stemFilter) {
            continue;
        }
        t.ticks += n.ticks;
        if (correctSpacing) t.correction += spacingCorrection(n.ticks);
    }
    return t;
}

int firstFreePlace(const std::vector<double>& placeLefts, const std::vector<double>& noteLefts,
                   double offset) {
    for (size_t j = 0; j < placeLefts.size(); ++j) {
        bool taken = false;
        for (double left : noteLefts)
            if (left - offset == placeLefts[j]) { taken = true; break; }
        if (!taken) return int(j) + 1;
    }
    return 0;
}

int nextLoaded(int current, const std::vector<int>& loaded) {
    for (int i : loaded)
        if (i > current) return i;
    return loaded.empty() ? 0 : loaded.front();
}

} // namespace staffedit
