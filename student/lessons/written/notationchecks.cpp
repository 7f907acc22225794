#include "notationchecks.h"

#include "student/lessons/musicmath.h"

#include "music/framework/control.h"
#include "music/framework/dispatch.h"
#include "music/note/note.h"

#include <limits>

namespace lessons::written {

void setMark(QWidget* element, bool wrong, const QString& fault, Tip tip) {
    if (!element) return;
    // A colour-only check never shows as right an element whose tool tip names a fault that an
    // earlier check of the same marking found.
    if (!wrong && tip == Tip::Keep && !element->toolTip().isEmpty()) return;
    const quint32 colour = wrong ? 255u : 0u;
    if (auto* control = qobject_cast<music::MusicControl*>(element)) control->setForeColor(colour);
    else music::dispPut(element, QStringLiteral("ForeColor"), colour);
    if (tip == Tip::Set) element->setToolTip(wrong ? fault : QString());
}

bool noteLoaded(const NotationArrays& a, const LoadedFlags& flags, int i) {
    return flags.get(ColNotes, i) && a.NoteSymbol.exists(i);
}

music::Note* noteAt(const NotationArrays& a, int i) { return qobject_cast<music::Note*>(a.NoteSymbol.at(i)); }

qint32 noteValue(const NotationArrays& a, int i) {
    const music::Note* n = noteAt(a, i);
    return n ? n->NoteValue() : 0;
}

bool isRest(const NotationArrays& a, int i) {
    const music::Note* n = noteAt(a, i);
    return n && n->Rest() != 0;
}

std::vector<int> loadedNotes(const NotationArrays& a, const LoadedFlags& flags) {
    std::vector<int> list;
    const int ub = a.NoteSymbol.ubound();
    for (int i = 1; i <= ub; ++i)
        if (noteLoaded(a, flags, i)) list.push_back(i);
    return list;
}

void sortByLeft(const NotationArrays& a, std::vector<int>& list) {
    const size_t n = list.size();
    for (size_t p = 0; p + 1 < n; ++p)
        for (size_t q = p + 1; q < n; ++q)
            if (a.NoteSymbol.Left(list[q]) < a.NoteSymbol.Left(list[p])) std::swap(list[p], list[q]);
}

qint32 Metre::barTicks() const { return qint32(GetBarLength(pulses, unit) * 2048.0); }
qint32 Metre::beatTicks() const { return qint32(GetBeatTicks(pulses, unit)); }

Metre exerciseMetre(const NotationArrays& a) {
    Metre m;
    if (QWidget* metre = a.tmMeter.at(1)) {
        m.pulses = getInt(metre, "Pulses");
        m.unit = getInt(metre, "NoteValue");
    }
    return m;
}

namespace {

bool threeFour(qint32 pulses, qint32 unit) { return pulses == 2 && unit == 2; }

} // namespace

bool checkBarGroup(const NotationArrays& a, const std::vector<int>& group, qint32 pulses, qint32 unit, Tip tip) {
    struct Slot {
        qint32 offset, value;
    };
    std::vector<Slot> cells;
    bool result = true;
    for (int i : group) {
        QWidget* w = a.NoteSymbol.at(i);
        clearMark(w, tip);
        const music::Note* n = noteAt(a, i);
        const qint32 offset = n ? n->RhythmicOffset() : 0;
        const qint32 value = n ? n->NoteValue() : 0;
        bool known = false;
        for (const Slot& s : cells)
            if (s.offset == offset && s.value == value) known = true;
        if (known) continue;
        cells.push_back({offset, value});
        // In three-four the half that ends at 6144 is a held last note, and right.
        if (offset == 6144 && value == 4096 && !threeFour(pulses, unit)) {
            result = false;
            markWrong(w, fault::NoteValueBar, tip);
        }
    }
    qint64 sum = 0;
    for (const Slot& s : cells) sum += s.value;
    const double bar = GetBarLength(pulses, unit);
    if (bar <= 0 || double(sum) / 2048.0 != bar) {
        result = false;
        for (int i : group) markWrong(a.NoteSymbol.at(i), fault::NoteValueBar, tip);
    }
    return result;
}

namespace {

std::vector<int> notesOnStaff(const NotationArrays& a, const LoadedFlags& flags, int staff, bool visibleOnly) {
    const QString tag = QString::number(staff);
    std::vector<int> group;
    for (int i : loadedNotes(a, flags))
        if (a.NoteSymbol.Tag(i) == tag && (!visibleOnly || a.NoteSymbol.Visible(i))) group.push_back(i);
    return group;
}

} // namespace

bool CheckNoteValues(const NotationArrays& a, const LoadedFlags& flags, int staff, qint32 pulses, qint32 unit) {
    return checkBarGroup(a, notesOnStaff(a, flags, staff, false), pulses, unit, Tip::Set);
}

bool CheckRhythmOffsets(const NotationArrays& a, const LoadedFlags& flags, int staff, qint32 pulses,
                        qint32 unit) {
    return checkBarGroup(a, notesOnStaff(a, flags, staff, true), pulses, unit, Tip::Keep);
}

bool CollectRhythmPositions(const NotationArrays& a, const LoadedFlags& flags, int bar, qint32 pulses,
                            qint32 unit) {
    // A bar runs from the bar line before it to its own; the first from the start. A bar line
    // that is missing bounds nothing on the right, and leaves nothing after it on the left.
    constexpr double kNone = std::numeric_limits<double>::infinity();
    double from = -kNone, to = kNone;
    bool any = true;
    if (bar >= 2) {
        if (a.Bar.exists(bar - 1)) from = a.Bar.Left(bar - 1);
        else any = false;
    }
    if (a.Bar.exists(bar)) to = a.Bar.Left(bar);
    std::vector<int> group;
    if (any) {
        for (int i : loadedNotes(a, flags)) {
            if (!a.NoteSymbol.Visible(i)) continue;
            const double reach = a.NoteSymbol.Left(i) + 200;
            if (reach >= from && reach <= to) group.push_back(i);
        }
    }
    return checkBarGroup(a, group, pulses, unit, Tip::Keep);
}

bool restIsWrong(qint32 p, qint32 v, qint32 r, const Metre& m) {
    const qint32 u = m.unit;
    const bool eighthOrSixteenth = u == 3 || u == 4;
    if (m.pulses >= 4) {
        bool wrong = false;
        if (p % 512 != 0) wrong = (v != 512 && u == 3) || (v != 256 && u == 4);
        else if (p % 1024 != 0) wrong = v != 512 && eighthOrSixteenth;
        else if (p % 2048 != 0) wrong = (v != 1024 && u == 3) || (v != 512 && u == 4);
        else if (p % 4096 != 0) wrong = v != 1024 && eighthOrSixteenth;
        else if (p % 8192 != 0) wrong = v != 2048;
        if (m.pulses == 4 || m.pulses == 5) {
            if (u == 3 && v > 3072) wrong = true;
            if (u == 4 && v > 1536) wrong = true;
        }
        return wrong;
    }
    bool wrong = false;
    if (p % 1024 != 0) wrong = v != 512;
    else if (p % 2048 != 0) wrong = v != 1024;
    else if (p % 4096 != 0) wrong = v != 2048;
    else if (p % 8192 != 0) wrong = v != 4096;
    const qint32 bar = m.barTicks();
    if (bar == 6144 && v == 4096) wrong = true;   // a half rest in three-four
    if (bar == 3072 && v == 2048) wrong = true;
    // Two equal rests that end a beat are one rest of twice the value.
    if ((bar == 8192 || bar == 4096 || bar == 2048) && p != 0 && p + v == m.beatTicks() && v == r) wrong = true;
    return wrong;
}

bool CalculateAddRest(const NotationArrays& a, const LoadedFlags& flags) {
    const Metre m = exerciseMetre(a);
    const qint32 barLength = m.barTicks(), beat = m.beatTicks();
    QWidget* metre = a.tmMeter.at(1);
    clearMark(metre);
    // Without a bar and a beat nothing can be measured.
    if (barLength <= 0 || beat <= 0) return false;

    std::vector<int> list;
    for (int i : loadedNotes(a, flags))
        if (a.NoteSymbol.Visible(i)) list.push_back(i);
    sortByLeft(a, list);

    bool result = true;
    qint32 p = 0, r = 0, c = 0;
    qint64 total = 0;
    for (int e : list) {
        const qint32 v = noteValue(a, e);
        if (!isRest(a, e)) {
            p += v;
            r = 0;
        } else {
            if (restIsWrong(p, v, r, m)) result = false;
            if (!result) markWrong(a.NoteSymbol.at(e), fault::RestValues);
            p += v;
            r = v;
        }
        p %= beat;
        total += v;
        if (total % barLength == 0 && total / barLength != c) {
            c = qint32(total / barLength);
            if (result) result = CollectRhythmPositions(a, flags, c, m.pulses, m.unit);
            if (!result) markWrong(metre, fault::RhythmsBar);
        }
    }
    if (total % barLength != 0 && total / barLength == c) {
        markWrong(metre, fault::MissingRhythms);
        result = false;
    }
    return result;
}

} // namespace lessons::written
