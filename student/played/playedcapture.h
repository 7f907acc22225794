#pragma once
// The capture of played input: how presses of the piano keys (melody lesson) and of the drum
// pad (rhythm lessons) become notes on the main window's staff or tap lengths for the
// played-rhythm scorer. It writes the way a student's clicks do: it presses a note palette
// button, places the template note NoteSymbol(0) and has the staff editor add the note, then
// selects, ties and beams through the editor's and the beam palette's own operations.
//
// The staff editor (ctx.staff) writes, selects and ties; the misc palette (ctx.palettes) beams.
//
// A note is committed when the next press comes (its length is the time between the presses)
// or, for the last note of a phrase, by the metronome once 2500 ms have passed since its
// release (its length is then the time it was held). A phrase is open while NoteStartTime is
// set; the timed commit needs an open phrase, so a reset stamp never turns into a note as long
// as the clock's count.
#include "student/lessons/lessoncontext.h"
#include "student/sound/capturemath.h"
#include "student/sound/metronomepanel.h"

#include <functional>
#include <optional>

namespace played {

class KeyboardLogic;
class DrumLogic;

inline constexpr qint64 kCommitDelayMs = 2500;
inline constexpr qint16 kMaxTaps = 20;
inline constexpr int kDrumKey = 17;   // every drum note is written on piano key 17's step

class PlayedCapture {
public:
    explicit PlayedCapture(lessons::LessonContext& ctx) : ctx_(ctx) {}

    // ResetFloatingNotes: pointers back to the arrow, note palette buttons 1..11 released.
    void ResetFloatingNotes();

    // ---- Piano (the melody lesson writes) ----
    // key_MouseDown after the key has sounded.
    void pianoPress(KeyboardLogic& piano, int index, qint64 now);
    // key_MouseUp after the key stopped: a full staff ends the phrase.
    void pianoRelease(KeyboardLogic& piano);
    // The metronome tick's timed commit.
    void pianoTick(KeyboardLogic& piano, qint64 now);

    // ---- Drum (lesson 4 writes notes, lesson 7 records taps) ----
    void drumPress(DrumLogic& drum, qint64 now);
    void drumRelease(DrumLogic& drum);
    void drumTick(DrumLogic& drum, qint64 now);
    // The tap held or waiting for its timed commit is taken now, with the length the commit
    // would give it (up to now while the pad is still down): recorded in lesson 7, written in
    // lesson 4. The phrase is closed whether or not it could be taken.
    void commitPendingTap(DrumLogic& drum, qint64 now);

    // ---- What the capture reads of the staff ----
    // Ticks of the notes already written (loaded NoteSymbol elements, column 2).
    qint32 writtenTicks() const;
    // The beat and bar of the exercise's time signature (a quarter beat and four beats without
    // one); nothing when its arithmetic has no answer.
    std::optional<sound::BarMath> barArithmetic() const;
    double beatTicks() const;

private:
    // What a write left on the staff (0: that part was not written).
    struct Written {
        qint32 length = 0;
        int first = 0;
        int second = 0;
        bool split = false;
    };
    Written writeNote(int key, qint32 spelling, qint64 lengthMs, const sound::BarMath& m, const sound::BeatState& beat);
    void selectionTail(const sound::BarMath& m, const Written& w, sound::TailForm form);
    // Lesson 4: the phrase's last tap, released at `end`, written with the time it was held;
    // the phrase is closed.
    void writeLastTap(DrumLogic& drum, qint64 end, const sound::BarMath& m);
    int addNote(int staff, int key, qint32 spelling);
    // The template where the next note of `choice` goes: on staff element `staff`, `onset`
    // ticks into its bar, spaced from the notes written there before.
    void placeTemplate(int staff, qint32 onset, const sound::NoteChoice& choice, const sound::BarMath& m);
    void pressButton(const sound::NoteChoice& choice);
    void setTemplateDots(int dots);
    void setTemplateAccidental(int accidental);
    void deselectAll();
    void closePhrase();
    void storeTap(qint32 ticks);
    qint32 spelling() const;
    int noteValue(int index) const;
    bool lesson(int n) const { return ctx_.state.CurrentLesson == n; }
    // Lesson n writes what is played on its staff: only while its set runs, so a set that is
    // marked never changes.
    bool writes(int n) const { return lesson(n) && ctx_.state.ExerciseRunning; }

    lessons::LessonContext& ctx_;
};

} // namespace played
