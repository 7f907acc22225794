#include "notespacing.h"

#include <QtGlobal>
#include <cmath>

namespace lessons {
namespace {

constexpr double kPx = 15;            // twips to a pixel
constexpr int kClear = 1;             // clear columns between two notes' ink, at least
// A bar's first head stands this far left of the bar's start (its staff element's left, or
// the room after the time signature), ten pixels after the bar line before it.
constexpr double kLead = 120;
constexpr int kAfterBarLine = 3;      // clear columns after a bar line, for an accidental
constexpr int kEndRoom = 9;           // pixels kept free at a bar's end, at most
constexpr qint32 kSixteenth = 512;    // the shortest value the lessons write
constexpr int kBarLineLeft = 75;      // a bar line's element stands this far left of its staff's end
constexpr int kBarLineStroke = 2;     // its first stroke, pixels into the element

// Ink to the left and right of a note's left edge, in pixels.
int inkLeft(const SpacedNote& n) {
    if (n.rest) return n.value <= 1 ? 10 : 15;   // a whole or half rest stands on a short line
    if (n.accidental == 1 || n.accidental == 2) return 6;
    return n.accidental != 0 ? 2 : 15;
}

int inkRight(const SpacedNote& n, bool flagShows) {
    if (n.rest) return n.value <= 1 ? 31 : 28;
    int right = n.value == 0 ? 29 : 26;
    if (flagShows) right = qMax(right, 35);
    if (n.dots) right = qMax(right, n.value >= 4 ? 40 : n.value == 0 ? 36 : 35);
    return right;
}

bool flagged(const SpacedNote& n) { return !n.rest && n.value >= 3 && n.unbeamed; }

// A short note beside a short note after it in the same beat ends up under one beam with it.
bool beamedTogether(const SpacedNote& before, const SpacedNote& after, qint32 beatTicks) {
    return flagged(before) && !after.rest && after.value >= 3 && beatTicks > 0 && after.onset % beatTicks != 0;
}

// The bar's last note shows its flag when no note of its beat came before it.
bool lastShowsFlag(const SpacedNote& n, qint32 beatTicks) {
    return flagged(n) && (beatTicks <= 0 || n.onset % beatTicks == 0);
}

} // namespace

double spacedLeft(const BarRoom& bar, const std::optional<std::pair<double, SpacedNote>>& previous,
                  const SpacedNote& next) {
    const double first = bar.staffLeft + (bar.firstBar ? kFirstBarReserve : 0) - kLead;
    // The last place for a note whose ink reaches `right` pixels: clear of the bar line.
    const double barLine = std::floor((bar.staffLeft + bar.staffWidth - kBarLineLeft) / kPx) + kBarLineStroke;
    const double barLineBefore = std::floor((bar.staffLeft - kBarLineLeft) / kPx) + kBarLineStroke;
    const auto lastLeft = [&](int right) { return qMax(first, (barLine - right - 1 - kClear) * kPx); };
    const SpacedNote plain;
    const double lastPlain = lastLeft(inkRight(plain, false));
    const qint32 barTicks = qMax(bar.barTicks, kSixteenth * 2);
    const double sixteenths = barTicks / double(kSixteenth);
    // The nearest two notes may stand: heads apart, or as near as a bar of sixteenths allows.
    const double headToHead = (inkRight(plain, false) + 1 + kClear - inkLeft(plain)) * kPx;
    const double step = qMin(headToHead, (lastPlain - first) / (sixteenths - 1));

    // Time shares out the bar but for a few pixels at its end, where a last short note that
    // follows another may need them for an accidental or the flag before it.
    const double endRoom = qBound(0.0, lastPlain - first - headToHead * (sixteenths - 1), kEndRoom * kPx);
    const qint32 onset = qBound(0, next.onset, barTicks - kSixteenth);
    double left = first + (lastPlain - endRoom - first) * onset / double(barTicks - kSixteenth);
    if (previous) {
        const SpacedNote& p = previous->second;
        const bool flag = flagged(p) && !beamedTogether(p, next, bar.beatTicks);
        left = qMax(left, previous->first + (inkRight(p, flag) + 1 + kClear - inkLeft(next)) * kPx);
    } else if (!bar.firstBar) {
        left = qMax(left, (barLineBefore + 1 + kAfterBarLine - inkLeft(next)) * kPx);
    }
    // Room for the rest of the bar, were it all sixteenths with their heads side by side (no
    // rhythm the lessons draw comes near that); the bar's last note keeps its own ink clear of
    // the bar line.
    const double sideBySide = qMin(step, (inkRight(plain, false) + 1 - inkLeft(plain)) * kPx);
    const qint32 after = barTicks - next.onset - next.ticks;
    const double latest = after > 0 ? lastPlain - sideBySide * std::ceil(after / double(kSixteenth))
                                    : lastLeft(inkRight(next, lastShowsFlag(next, bar.beatTicks)));
    left = qMin(left, latest);
    if (previous) left = qMax(left, previous->first + step);
    return left;
}

double spacedLeftOnStaff(const NotationArrays& a, const LoadedFlags& loaded, int staff, const BarRoom& bar,
                         const SpacedNote& next) {
    const ElementArray& notes = a.NoteSymbol;
    const QString tag = QString::number(staff);
    int last = 0;
    for (int i = 1; i <= notes.ubound(); ++i) {
        if (!loaded.get(2, i) || !notes.exists(i) || notes.Tag(i) != tag) continue;
        if (last == 0 || notes.Left(i) > notes.Left(last)) last = i;
    }
    std::optional<std::pair<double, SpacedNote>> previous;
    if (last) {
        QObject* n = notes[last];
        SpacedNote p;
        p.rest = getInt(n, "Rest") != 0;
        p.value = getInt(n, "Note");
        p.accidental = getInt(n, "AccidentalName");
        p.dots = getInt(n, "DotsNumberOf") > 0;
        p.unbeamed = getInt(n, "HideFlags") == 0;
        previous = std::make_pair(notes.Left(last), p);
    }
    return spacedLeft(bar, previous, next);
}

} // namespace lessons
