#include "rhythmplayexercise.h"

#include "student/lessons/elementpool.h"
#include "student/lessons/exerciseflow.h"
#include "student/lessons/generators/rhythmgenerator.h"
#include "student/lessons/musicmath.h"
#include "student/lessons/notespacing.h"
#include "student/sound/capturemath.h"

#include "common/basic.h"
#include "common/random.h"
#include "music/framework/dispatch.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <cmath>
#include <set>

namespace lessons {
namespace {

const QString kInstruction = QStringLiteral("Play the following rhythms.");
const QString kNotes = QStringLiteral("frmFloatingNotes");
const QString kRests = QStringLiteral("frmFloatingRests");
constexpr quint32 kSelected = 0xFF00FF;

// The metre table: Pulses, beat unit, extra bar width in units of 200 twips, shortest value.
struct Metre {
    int pulses, unit, widthFactor, shortest;
};
constexpr Metre kMetres[4] = {
    {3, 2, 8, 250},   // 4/4
    {2, 2, 4, 250},   // 3/4
    {1, 2, 1, 250},   // 2/4
    {4, 3, 4, 500},   // 6/8
};

// A generated duration (ms x 2.048 ticks) as the note palette writes it.
struct NoteEntry {
    int note, button, dots;
};
std::optional<NoteEntry> noteEntry(qint32 ticks) {
    switch (ticks) {
    case 512: return NoteEntry{4, 7, 0};
    case 1024: return NoteEntry{3, 6, 0};
    case 1536: return NoteEntry{3, 6, 1};
    case 2048: return NoteEntry{2, 5, 0};
    case 3072: return NoteEntry{2, 5, 1};
    case 4096: return NoteEntry{1, 4, 0};
    case 6144: return NoteEntry{1, 4, 1};
    case 8192: return NoteEntry{0, 3, 0};
    default: return std::nullopt;
    }
}

int noteValue(QWidget* note) {
    QVariant ticks;
    return note && music::dispCall(note, QStringLiteral("NoteValue"), {}, &ticks) ? ticks.toInt() : 0;
}

class Builder {
public:
    explicit Builder(LessonContext& ctx) : ctx_(ctx), a_(ctx.arrays), s_(ctx.state) {}

    void run() {
        resetTemplates();
        s_.tools.setMousePointer(kPointerDefault);
        s_.ExerciseRunning = true;
        if (a_.lnLeger.ubound() == 0)
            for (int i = 1; i <= 10; ++i) a_.lnLeger.load(i);
        UnloadLesson(7, a_, ctx_.LoadedFlags);
        instruction();
        common::Random::instance().seedFromClock();
        level_ = drawRhythmPlayLevel(s_.CurrentLevel);
        const Metre& m = kMetres[level_.metre];
        staves(m);
        clef();
        barLines();
        common::Random::instance().seedFromClock();
        timeSignature(m);
        rhythm(m);
        // Whatever the rhythm did, the set starts clean: no selection, no taps, the capture
        // clocks restarted, the test announced, the score reset.
        deselectAll();
        ctx_.playedInput->clearTaps();
        ctx_.playedInput->RestartCapture();
        if (!ctx_.window.practiceMode()) announceTestSet(ctx_, s_.CurrentLesson == 7);
        s_.ExerciseScore = 0;
        if (ctx_.frame.lblScore) ctx_.frame.lblScore->setText(QStringLiteral("0%"));
        if (ctx_.frame.cmdGo) ctx_.frame.cmdGo->setEnabled(false);
        if (ctx_.frame.lblLevel) ctx_.frame.lblLevel->setText(QString::number(s_.CurrentLevel - 1));
        ctx_.window.UpdateMenu();
    }

private:
    void resetTemplates() {
        a_.NoteSymbol.Move(0, {}, {}, 550, 1760);
        put(a_.NoteSymbol[0], "NoteLeft", 15);
        put(a_.NoteSymbol[0], "AccidentalOffset", 0);
        put(a_.KeySign[0], "KeyMode", 1);
        a_.KeySign.Move(0, 750, 645, 945, 915);
        put(a_.StaffLines[0], "LineWidth", 350);
        a_.tmMeter.setTop(0, 815);
        a_.BeamFlag.setHeight(0, 450);
    }

    void instruction() {
        if (!a_.lblAs.load(1)) return;
        a_.lblAs[1]->setText(kInstruction);
        a_.lblAs.setTop(1, 2500);
        const int textWidth = QFontMetrics(a_.lblAs[1]->font()).horizontalAdvance(kInstruction) + 4;
        if (a_.lblAs.Width(1) < textWidth * common::kTwipsPerPixel) a_.lblAs.setWidth(1, textWidth * common::kTwipsPerPixel);
        a_.lblAs.setVisible(1, true);
    }

    void staves(const Metre& m) {
        const double l0 = a_.StaffLines.Left(0), t0 = a_.StaffLines.Top(0), w0 = a_.StaffLines.Width(0);
        const double w = 200.0 * m.widthFactor;
        for (int i = 1; i <= level_.segments; ++i) {
            if (!a_.StaffLines.load(i)) continue;
            double left = l0 + ((i - 1) % 5) * 1800.0, width = w0;
            const double top = t0 + ((i - 1) / 5) * 1360.0;
            switch (i) {
            case 1: width = 600; break;
            case 2: left -= 1200; width = w0 + w + 1200; break;
            default: left += (i - 2) * w; width = w0 + w; break;
            }
            a_.StaffLines.Move(i, left, top, width, i >= 6 ? 1995 : 1450);
            a_.StaffLines.setVisible(i, true);
            a_.StaffLines.ZOrder(i, 0);
        }
    }

    void clef() {
        if (!a_.ClefSymbol.load(1)) return;
        a_.ClefSymbol.Move(1, a_.StaffLines.Left(1) + 60, 500);
        put(a_.ClefSymbol[1], "Clef", 3);   // percussion
        a_.ClefSymbol.setVisible(1, true);
        a_.ClefSymbol.ZOrder(1, 0);
        ctx_.LoadedFlags.set(3, 1, true);
    }

    void barLines() {
        for (int i = 1; i <= level_.segments - 1; ++i) {
            if (!a_.Bar.load(i)) continue;
            const int staff = i + 1;
            a_.Bar.Move(i, a_.StaffLines.Left(staff) + a_.StaffLines.Width(staff) - 75,
                        a_.Bar.Top(0) + ((i - 1) / 13) * 2020.0);
            const int lineTop = getInt(a_.StaffLines[staff], "LineTop") + int(a_.StaffLines.Top(staff) / 15);
            music::dispCall(a_.Bar[i], QStringLiteral("Add"), {lineTop});
            if (i == level_.segments - 1) {
                put(a_.Bar[i], "BarLineType", 2);   // the final bar line
                a_.Bar.setWidth(i, 150);
            }
            a_.Bar.setVisible(i, true);
            a_.Bar.ZOrder(i, 0);
        }
    }

    void timeSignature(const Metre& m) {
        if (!a_.tmMeter.load(1)) return;
        a_.tmMeter.ZOrder(1, 0);
        a_.tmMeter.Move(1, a_.StaffLines.Left(2), a_.StaffLines.Top(2) + 350);
        put(a_.tmMeter[1], "Pulses", m.pulses);
        put(a_.tmMeter[1], "noteValue", m.unit);
        a_.tmMeter.setVisible(1, true);
        ctx_.LoadedFlags.set(5, 1, true);
        a_.tmMeter.setTag(1, QStringLiteral("2"));
    }

    // The element the adder loaded (it may fill a gap), 0 when it wrote nothing.
    int add(int segment, int flags) {
        std::set<int> before;
        for (int i = 1; i <= a_.NoteSymbol.ubound(); ++i)
            if (ctx_.LoadedFlags.get(2, i) && a_.NoteSymbol.exists(i)) before.insert(i);
        const qint16 top = sound::stepTop(sound::NoteFromPiano(17, 0));
        ctx_.staff->AddSymbolToStaff(qint16(segment), top, 50, 0, -160, flags, -495, 980, true, std::nullopt, 0);
        for (int i = a_.NoteSymbol.ubound(); i >= 1; --i)
            if (ctx_.LoadedFlags.get(2, i) && a_.NoteSymbol.exists(i) && !before.count(i)) return i;
        return 0;
    }

    void deselectAll() {
        for (int j = 1; j <= a_.NoteSymbol.ubound(); ++j)
            if (ctx_.LoadedFlags.get(2, j)) put(a_.NoteSymbol[j], "ForeColor", 0);
    }

    void releaseAll(const QString& palette) {
        for (int i = 1; i <= s_.tools.buttonCount(palette); ++i) s_.tools.setValue(palette, i, 0);
    }

    void rhythm(const Metre& m) {
        NoteTable table;
        table.redim(level_.notes);
        s_.ItemPlayCount[1] = 0;
        RhythmSpec spec;
        spec.noteCount = level_.notes;
        spec.barCount = level_.segments;
        spec.pulses = m.pulses;
        spec.shortestDuration = level_.shortest;
        CreateRhythm(spec, table, common::Random::instance());
        s_.items.NoteTable.clear();
        for (int i = 1; i <= level_.notes; ++i)
            s_.items.NoteTable.push_back({NoteTable::kUnpitched, qint16(table.duration(i))});

        QWidget* metre = a_.tmMeter[1];
        const int bpb = GetBeatsPerBar(metre);
        const double beatTicks = GetBeatTicks(getInt(metre, "Pulses"), getInt(metre, "NoteValue"));
        if (bpb <= 0 || beatTicks <= 0) return;
        const double barTicks = beatTicks * bpb;
        qint32 ticks = 0;
        int previous = 0;
        for (int i = 1; i <= level_.notes; ++i) {
            put(a_.NoteSymbol[0], "DotsNumberOf", 0);
            const double beat = ticks / beatTicks;
            const int k = int(basic::Int(beat / bpb));
            // A rhythm that outruns its bars writes nothing past the last one.
            if (k + 2 > level_.segments) break;
            releaseAll(kNotes);
            const qint32 length = qint32(basic::Int(table.duration(i) * 2.048 + 0.5));
            const auto e = noteEntry(length);
            // Nor a note that would end past it: the rests then fill the last bar.
            if (ticks + length > qint32(barTicks) * (level_.segments - 1)) break;
            SpacedNote spaced;
            spaced.onset = ticks - k * qint32(barTicks);
            spaced.ticks = length;
            spaced.value = e ? e->note : getInt(a_.NoteSymbol[0], "Note");
            spaced.dots = e && e->dots > 0;
            spaced.unbeamed = true;
            a_.NoteSymbol.setLeft(0, spacedLeftOnStaff(a_, ctx_.LoadedFlags, k + 2, room(k + 2, barTicks, beatTicks), spaced));
            if (e) {
                put(a_.NoteSymbol[0], "Note", e->note);
                s_.tools.setValue(kNotes, e->button, 1);
                put(a_.NoteSymbol[0], "DotsNumberOf", e->dots);
            }
            const int segment = k + 2;
            const int added = add(segment, 1);
            if (!added) break;
            ticks += noteValue(a_.NoteSymbol[added]);

            // Each beat's group: the note is selected (quarters and longer stay unselected);
            // a note that runs over a bar line selects the one before it.
            const double endBar = basic::Int(ticks / beatTicks / bpb);
            const bool inBar = beat / bpb >= endBar || std::fmod(ticks, barTicks) == 0;
            const int select = inBar ? added : previous;
            if (select && !ctx_.staff->ToggleNoteColorEx(qint16(select), true)) deselectAll();
            if (noteValue(a_.NoteSymbol[added]) >= 2048 || (ticks > 0 && std::fmod(ticks, beatTicks) == 0)) beamGroup();
            if (!inBar) {
                deselectAll();
                ctx_.staff->ToggleNoteColorEx(qint16(added), true);
            }
            previous = added;
        }

        // Rests fill the last bar.
        releaseAll(kNotes);
        const qint32 total = qint32(barTicks) * (level_.segments - 1);
        while (ticks < total) {
            releaseAll(kRests);
            const double beat = basic::Int(ticks / beatTicks);
            put(a_.NoteSymbol[0], "DotsNumberOf", 0);
            const RestChoice r = restForRemaining(total - ticks, m.pulses);
            put(a_.NoteSymbol[0], "Note", r.note);
            s_.tools.setValue(kRests, r.button, 1);
            if (r.dots) put(a_.NoteSymbol[0], "DotsNumberOf", r.dots);
            const int segment = int(basic::Int(beat / bpb)) + 2;
            if (segment > level_.segments) break;
            SpacedNote spaced;
            spaced.onset = ticks - (segment - 2) * qint32(barTicks);
            spaced.ticks = (8192 >> r.note) * (r.dots ? 3 : 2) / 2;
            spaced.rest = true;
            spaced.value = r.note;
            spaced.dots = r.dots > 0;
            const double left = spacedLeftOnStaff(a_, ctx_.LoadedFlags, segment, room(segment, barTicks, beatTicks), spaced);
            const int added = add(segment, 16);
            // A rest the editor did not write ends the filling: it would never end otherwise.
            if (!added) break;
            // The rest stands spaced from the notes before it, as a note would.
            a_.NoteSymbol.setLeft(added, left);
            ticks += noteValue(a_.NoteSymbol[added]);
        }
    }

    BarRoom room(int segment, double barTicks, double beatTicks) const {
        return {a_.StaffLines.Left(segment), a_.StaffLines.Width(segment), segment == 2, qint32(barTicks),
                qint32(beatTicks)};
    }

    // The selected notes of the beat get one stem direction and a beam when there are two
    // or more; otherwise the selection is cleared.
    void beamGroup() {
        std::vector<int> selected;
        std::vector<double> tops;
        for (int j = 1; j <= a_.NoteSymbol.ubound(); ++j) {
            if (!ctx_.LoadedFlags.get(2, j) || !a_.NoteSymbol.exists(j)) continue;
            if (quint32(getInt(a_.NoteSymbol[j], "ForeColor")) != kSelected) continue;
            selected.push_back(j);
            tops.push_back(a_.NoteSymbol.Top(j));
        }
        const int stem = sound::groupStemDirection(tops);
        for (int j : selected) put(a_.NoteSymbol[j], "StemDirection", stem);
        if (selected.size() < 2 || !ctx_.palettes.BeamIt(a_.StaffLines, a_.BeamFlag, a_.NoteSymbol, 6, true))
            deselectAll();
    }

    LessonContext& ctx_;
    NotationArrays& a_;
    ExerciseState& s_;
    RhythmPlayLevel level_;
};

} // namespace

RhythmPlayLevel drawRhythmPlayLevel(int currentLevel) {
    common::Random& random = common::Random::instance();
    RhythmPlayLevel l;
    bool metreShortest = true;
    switch (currentLevel) {
    case 2: l = {1, 3, 5, 500}; metreShortest = false; break;
    case 3: l = {0, 3, 6, 500}; metreShortest = false; break;
    case 4: l = {random.choose(2), 3, 7, 500}; metreShortest = false; break;
    case 5:
    case 6:
        l.metre = random.choose(3);
        l.segments = l.metre == 2 ? 5 : 3;
        l.notes = 8;
        metreShortest = currentLevel == 6;
        break;
    case 7: l = {random.choose(2), 3, 9, 0}; break;
    case 8: l = {0, 3, 10, 0}; break;
    case 9:
    case 10:
        l.metre = random.choose(3);
        l.segments = l.metre == 2 ? 5 : 3;
        l.notes = currentLevel == 9 ? 11 : 12;
        break;
    case 11:
        l.metre = random.choose(3);
        if (l.metre == 2) l.metre = 3;
        l.segments = l.metre == 3 ? 5 : l.metre == 0 ? 3 : 4;
        l.notes = 13;
        break;
    default:
        l.metre = random.choose(4);
        l.segments = l.metre == 0 ? 4 : 5;
        l.notes = l.metre == 2 || l.metre == 3 ? 12 : 14;
        break;
    }
    if (metreShortest) l.shortest = kMetres[l.metre].shortest;
    else if (currentLevel == 5) l.shortest = 500;
    return l;
}

RestChoice restForRemaining(qint32 r, int p) {
    if (r == 8192 || (r == 6144 && (p == 2 || p == 4))) return {0, 3, 0};
    if (r > 4096 && p <= 3 && r == 6144) return {2, 5, 0};
    if (r > 4096) return {3, 6, 0};
    if (r == 4096) return p <= 3 ? RestChoice{1, 4, 0} : RestChoice{3, 6, 0};
    if (r == 3072 && p > 3) return {2, 5, 1};
    if (r == 2048) return {2, 5, 0};
    return {3, 6, 0};
}

void NewRhythmPlayExercise(LessonContext& ctx) { Builder(ctx).run(); }

} // namespace lessons
