#include "playedcapture.h"

#include "drumwindow.h"
#include "pianowindow.h"

#include "common/basic.h"
#include "music/framework/dispatch.h"
#include "student/lessons/musicmath.h"
#include "student/lessons/notespacing.h"

#include <set>

namespace played {

namespace {
constexpr quint32 kSelectedColour = 0xFF00FF;
const QString kNotes = QStringLiteral("frmFloatingNotes");
} // namespace

// ---- What the capture reads ---------------------------------------------------------------

int PlayedCapture::noteValue(int index) const {
    QVariant ticks;
    QWidget* note = ctx_.arrays.NoteSymbol.at(index);
    return note && music::dispCall(note, "NoteValue", {}, &ticks) ? ticks.toInt() : 0;
}

qint32 PlayedCapture::writtenTicks() const {
    qint32 sum = 0;
    const lessons::ElementArray& notes = ctx_.arrays.NoteSymbol;
    for (int i = 1; i <= notes.ubound(); ++i)
        if (ctx_.LoadedFlags.get(2, i) && notes.exists(i)) sum += noteValue(i);
    return sum;
}

double PlayedCapture::beatTicks() const {
    const lessons::ElementArray& metres = ctx_.arrays.tmMeter;
    if (metres.ubound() <= 0) return 2048;
    QWidget* metre = metres.at(1);
    return lessons::GetBeatTicks(lessons::getInt(metre, "Pulses"), lessons::getInt(metre, "NoteValue"));
}

std::optional<sound::BarMath> PlayedCapture::barArithmetic() const {
    const lessons::ElementArray& metres = ctx_.arrays.tmMeter;
    const int bpb = metres.ubound() > 0 ? lessons::GetBeatsPerBar(metres.at(1)) : 4;
    return sound::barMath(writtenTicks(), beatTicks(), bpb);
}

qint32 PlayedCapture::spelling() const { return lessons::getInt(ctx_.arrays.ChordSymbol.at(1), "KeyScale"); }

// ---- The template and the palette -----------------------------------------------------------

void PlayedCapture::ResetFloatingNotes() {
    lessons::ToolState& tools = ctx_.state.tools;
    tools.setMousePointer(lessons::kPointerDefault);
    tools.setLessonFramePointer(lessons::kPointerDefault);
    for (int i = 1; i <= 11; ++i) tools.setValue(kNotes, i, 0);
}

void PlayedCapture::setTemplateDots(int dots) { lessons::put(ctx_.arrays.NoteSymbol.at(0), "DotsNumberOf", dots); }

void PlayedCapture::setTemplateAccidental(int accidental) {
    lessons::put(ctx_.arrays.NoteSymbol.at(0), "AccidentalName", accidental);
}

void PlayedCapture::pressButton(const sound::NoteChoice& choice) {
    ctx_.state.tools.setValue(kNotes, choice.button, 1);
    // The template carries the value as well: with the note palette closed the editor gives a
    // new note the template's value, and what was played must be written either way.
    lessons::put(ctx_.arrays.NoteSymbol.at(0), "Note", choice.button - 3);
    if (choice.dots) setTemplateDots(choice.dots);
}

void PlayedCapture::placeTemplate(int staff, qint32 onset, const sound::NoteChoice& choice, const sound::BarMath& m) {
    const lessons::NotationArrays& a = ctx_.arrays;
    lessons::SpacedNote n;
    n.onset = onset;
    n.ticks = choice.ticks;
    n.value = choice.button - 3;
    n.dots = choice.dots > 0;
    n.accidental = lessons::getInt(a.NoteSymbol.at(0), "AccidentalName");
    n.unbeamed = true;
    const lessons::BarRoom room{a.StaffLines.Left(staff), a.StaffLines.Width(staff), staff == 2, m.barTicks, m.beatTicks};
    ctx_.arrays.NoteSymbol.setLeft(0, lessons::spacedLeftOnStaff(a, ctx_.LoadedFlags, staff, room, n));
}

void PlayedCapture::deselectAll() {
    lessons::ElementArray& notes = ctx_.arrays.NoteSymbol;
    for (int i = 1; i <= notes.ubound(); ++i)
        if (ctx_.LoadedFlags.get(2, i)) lessons::put(notes.at(i), "ForeColor", 0);
}

// The phrase's last note is written: a beat it left short is never beamed, so the notes
// selected for that beam would stay coloured as if the student had chosen them.
void PlayedCapture::closePhrase() { deselectAll(); }

// ---- Writing --------------------------------------------------------------------------------

// Writes the note the pressed button chose on `staff` and gives the element it loaded (0 when
// the editor wrote nothing). The loaded notes before and after tell, since the editor may
// fill a gap that an erased note left.
int PlayedCapture::addNote(int staff, int key, qint32 spell) {
    const lessons::ElementArray& notes = ctx_.arrays.NoteSymbol;
    std::set<int> before;
    for (int i = 1; i <= notes.ubound(); ++i)
        if (ctx_.LoadedFlags.get(2, i) && notes.exists(i)) before.insert(i);
    ctx_.staff->AddSymbolToStaff(qint16(staff), sound::stepTop(sound::NoteFromPiano(key, spell)), 50, 0, -160, 1, -495, 980, true,
                                 std::nullopt, 0);
    for (int i = notes.ubound(); i >= 1; --i)
        if (ctx_.LoadedFlags.get(2, i) && notes.exists(i) && !before.count(i)) return i;
    return 0;
}

PlayedCapture::Written PlayedCapture::writeNote(int key, qint32 spell, qint64 lengthMs, const sound::BarMath& m,
                                                const sound::BeatState& beat) {
    Written w;
    const sound::NoteChoice choice = sound::classifyLength(lengthMs, beat.SliderValue, beat.BeatPeriod, m.beatTicks);
    pressButton(choice);
    w.length = choice.ticks;
    const qint32 onset = m.sum - m.bar * m.barTicks;
    const sound::BarSplit split = sound::splitAtBarLine(m, w.length);
    if (!split.crosses) {
        placeTemplate(m.bar + 2, onset, choice, m);
        w.first = addNote(m.bar + 2, key, spell);
        return w;
    }
    // The note crosses the bar line: the part up to it, tied to the part after it.
    w.split = true;
    const lessons::ElementArray& staves = ctx_.arrays.StaffLines;
    setTemplateDots(0);
    ResetFloatingNotes();
    const auto firstChoice = sound::choiceForLength(split.first);
    if (firstChoice) {
        pressButton(*firstChoice);
        placeTemplate(m.bar + 2, onset, *firstChoice, m);
        w.first = addNote(m.bar + 2, key, spell);
    }
    if (m.bar + 3 > staves.ubound()) return w;   // no staff for the next bar: the first part only
    const auto restChoice = sound::choiceForLength(split.rest);
    // A tie joins two notes that were both written, never an earlier note.
    if (w.first && restChoice) {
        // A tie curves away from the stem: up (-1) when the stem points down.
        const bool stemDown = lessons::getInt(ctx_.arrays.NoteSymbol.at(w.first), "StemDirection") == 0;
        ctx_.staff->AddSlur(stemDown ? -1 : 0, qint16(m.bar + 2), ctx_.arrays.StaffLines, w.first,
                            ctx_.arrays.PhraseMark, 10);
    }
    setTemplateDots(0);
    ResetFloatingNotes();
    if (restChoice) {
        pressButton(*restChoice);
        placeTemplate(m.bar + 3, 0, *restChoice, m);
        w.second = addNote(m.bar + 3, key, spell);
    }
    return w;
}

void PlayedCapture::selectionTail(const sound::BarMath& m, const Written& w, sound::TailForm form) {
    lessons::ElementArray& notes = ctx_.arrays.NoteSymbol;
    const int top = notes.ubound();
    std::optional<qint32> lastValue;
    if (top >= 1) lastValue = noteValue(top);
    const sound::TailPlan plan = sound::planSelectionTail(m, w.length, lastValue, form);
    const auto toggle = [this](int index) {
        if (index >= 1) ctx_.staff->ToggleNoteColorEx(qint16(index));
    };
    if (plan.deselectAll) deselectAll();
    // The note just written is selected (the first part of a tie); after the first press of a
    // phrase, which writes nothing, the last note on the staff.
    if (w.length == 0) toggle(top);
    else toggle(w.first);
    if (plan.beam) {
        std::vector<int> selected;
        std::vector<double> tops;
        for (int i = 1; i <= top; ++i) {
            if (!ctx_.LoadedFlags.get(2, i) || !notes.exists(i)) continue;
            if (quint32(lessons::getInt(notes.at(i), "ForeColor")) != kSelectedColour) continue;
            selected.push_back(i);
            tops.push_back(notes.Top(i));
        }
        const int stem = sound::groupStemDirection(tops);
        for (int i : selected) lessons::put(notes.at(i), "StemDirection", stem);
        if (selected.size() > 1) {
            lessons::NotationArrays& a = ctx_.arrays;
            ctx_.palettes.BeamIt(a.StaffLines, a.BeamFlag, a.NoteSymbol, 6, false);
        }
    }
    if (plan.split) {
        // The second part of the tie becomes the only selected note.
        deselectAll();
        toggle(w.second);
    }
}

void PlayedCapture::storeTap(qint32 ticks) {
    lessons::PlayedInput& taps = *ctx_.playedInput;
    if (taps.TapCount >= kMaxTaps) return;   // the 21st and later taps are dropped
    ++taps.TapCount;
    taps.TapTicks.resize(size_t(taps.TapCount) + 1, 0);
    taps.TapTicks[size_t(taps.TapCount)] = qint16(ticks);
}

// ---- Piano ------------------------------------------------------------------------------------

void PlayedCapture::pianoPress(KeyboardLogic& piano, int index, qint64 now) {
    setTemplateAccidental(0);
    setTemplateDots(0);
    ResetFloatingNotes();
    const auto m = barArithmetic();
    // Only the melody lesson writes; a staff that is full, or a time signature whose bars
    // cannot be counted, writes nothing and leaves the waiting note as it is.
    if (writes(2) && m && m->hasRoom(ctx_.arrays.StaffLines.ubound())) {
        if (!piano.HeldKey || piano.NoteStartTime == 0) {
            piano.NoteStartTime = now;
            selectionTail(*m, Written{}, sound::TailForm::Press);
        } else {
            const qint64 length = now - piano.NoteStartTime;
            piano.NoteStartTime = now;
            const qint32 spell = spelling();
            setTemplateAccidental(sound::AccidentalFromPiano(*piano.HeldKey, spell));
            const Written w = writeNote(*piano.HeldKey, spell, length, *m, piano.beat);
            selectionTail(*m, w, sound::TailForm::Press);
        }
        piano.HeldKey = qint16(index);
    }
    setTemplateDots(0);
}

void PlayedCapture::pianoRelease(KeyboardLogic& piano) {
    const auto m = barArithmetic();
    if (m && !m->hasRoom(ctx_.arrays.StaffLines.ubound())) {
        piano.ReleaseTime = 0;
        piano.NoteStartTime = 0;
        piano.HeldKey.reset();
    }
}

void PlayedCapture::pianoTick(KeyboardLogic& piano, qint64 now) {
    // Only the melody lesson's notes are committed by the metronome.
    if (!writes(2) || piano.ReleaseTime == 0 || now - piano.ReleaseTime <= kCommitDelayMs) return;
    const auto m = barArithmetic();
    if (!m) {
        setTemplateDots(0);
        return;
    }
    if (!m->hasRoom(ctx_.arrays.StaffLines.ubound())) return;
    if (!piano.HeldKey || piano.NoteStartTime == 0) {
        // No phrase is open (the exercise was reset since the release): nothing to commit.
        piano.ReleaseTime = 0;
        return;
    }
    ResetFloatingNotes();
    const qint64 length = piano.ReleaseTime - piano.NoteStartTime;
    const qint32 spell = spelling();
    setTemplateAccidental(sound::AccidentalFromPiano(*piano.HeldKey, spell));
    const Written w = writeNote(*piano.HeldKey, spell, length, *m, piano.beat);
    selectionTail(*m, w, sound::TailForm::Timer);
    closePhrase();
    piano.ReleaseTime = 0;
    piano.NoteStartTime = 0;
    piano.HeldKey.reset();
    setTemplateDots(0);
}

// ---- Drum -------------------------------------------------------------------------------------

void PlayedCapture::drumPress(DrumLogic& drum, qint64 now) {
    setTemplateAccidental(0);
    setTemplateDots(0);
    ResetFloatingNotes();
    if (lesson(7)) {
        const auto beat = basic::toInt16(beatTicks());
        if (drum.NoteStartTime == 0) {
            drum.NoteStartTime = now;
        } else if (beat && *beat > 0) {
            drum.LatestPressTime = now;
            const qint64 length = drum.LatestPressTime - drum.NoteStartTime;
            drum.NoteStartTime = drum.LatestPressTime;
            storeTap(sound::classifyLength(length, drum.beat.SliderValue, drum.beat.BeatPeriod, *beat).ticks);
        }
    } else if (writes(4)) {
        const auto m = barArithmetic();
        if (m && m->hasRoom(ctx_.arrays.StaffLines.ubound())) {
            if (drum.NoteStartTime == 0) {
                drum.NoteStartTime = now;
                selectionTail(*m, Written{}, sound::TailForm::Press);
            } else {
                drum.LatestPressTime = now;
                const qint64 length = drum.LatestPressTime - drum.NoteStartTime;
                drum.NoteStartTime = drum.LatestPressTime;
                const Written w = writeNote(kDrumKey, 0, length, *m, drum.beat);
                selectionTail(*m, w, sound::TailForm::Press);
            }
        }
    }
    setTemplateDots(0);
}

void PlayedCapture::drumRelease(DrumLogic& drum) {
    if (!lesson(4)) return;
    const auto m = barArithmetic();
    if (m && !m->hasRoom(ctx_.arrays.StaffLines.ubound())) {
        drum.ReleaseTime = 0;
        drum.NoteStartTime = 0;
    }
}

void PlayedCapture::drumTick(DrumLogic& drum, qint64 now) {
    if (drum.ReleaseTime == 0 || now - drum.ReleaseTime <= kCommitDelayMs) return;
    if (lesson(7)) {
        commitPendingTap(drum, now);
    } else if (writes(4)) {
        const auto m = barArithmetic();
        if (!m) {
            setTemplateDots(0);
            return;
        }
        if (!m->hasRoom(ctx_.arrays.StaffLines.ubound())) return;
        if (drum.NoteStartTime == 0) {
            drum.ReleaseTime = 0;   // no phrase is open: nothing to commit
            return;
        }
        writeLastTap(drum, drum.ReleaseTime, *m);
    }
}

void PlayedCapture::writeLastTap(DrumLogic& drum, qint64 end, const sound::BarMath& m) {
    ResetFloatingNotes();
    const Written w = writeNote(kDrumKey, 0, end - drum.NoteStartTime, m, drum.beat);
    selectionTail(m, w, sound::TailForm::Timer);
    closePhrase();
    drum.ReleaseTime = 0;
    drum.NoteStartTime = 0;
    setTemplateDots(0);
}

void PlayedCapture::commitPendingTap(DrumLogic& drum, qint64 now) {
    if (!lesson(7) && !lesson(4)) return;
    // The tap waiting for its release is as long as it has been held.
    if (drum.NoteStartTime != 0 && (drum.ReleaseTime != 0 || drum.padDown)) {
        const qint64 end = drum.ReleaseTime != 0 ? drum.ReleaseTime : now;
        if (lesson(7)) {
            const auto beat = basic::toInt16(beatTicks());
            if (beat && *beat > 0) {
                ResetFloatingNotes();
                storeTap(sound::classifyLength(end - drum.NoteStartTime, drum.beat.SliderValue, drum.beat.BeatPeriod, *beat)
                             .ticks);
            }
        } else if (writes(4)) {
            const auto m = barArithmetic();
            if (m && m->hasRoom(ctx_.arrays.StaffLines.ubound())) writeLastTap(drum, end, *m);
        }
    }
    // Taken or not, the tap is gone: no later commit finds it.
    drum.ReleaseTime = 0;
    drum.NoteStartTime = 0;
}

} // namespace played
