#include "writtenscorers.h"

#include "notationchecks.h"

#include "student/lessons/lessoncatalogue.h"
#include "student/lessons/musicmath.h"

#include "common/basic.h"
#include "music/note/note.h"

#include <cstdlib>
#include <optional>

namespace lessons::written {
namespace {

// Ticks of a generated duration (1000 ms = one quarter = 2048 ticks), exact in integers.
qint32 ticksOf(qint32 ms) { return ms * 2048 / 1000; }

// Beams and beats, walked over the written elements in time order (steps shared by both
// markers): a beam must join exactly the short notes that fill its beat, and within one beat
// at most one short note may show its flags.
class BeamBeatCheck {
public:
    BeamBeatCheck(const NotationArrays& a, const LoadedFlags& flags, const std::vector<int>& list, qint32 beat)
        : a_(a), flags_(flags), list_(list), beat_(beat) {}

    // Element `pos` of the list: false when a fault of its beam or beat leaves it unmarked for
    // pitch and value (it earns nothing).
    bool check(size_t pos) {
        const int e = list_[pos];
        music::Note* note = noteAt(a_, e);
        if (const int beam = beamStartingAt(note)) {
            clearMark(a_.BeamFlag.at(beam));
            qint64 sum = 0;
            int count = 0;
            for (size_t j = pos; j < list_.size() && sum < beat_; ++j) {
                const qint32 v = noteValue(a_, list_[j]);
                if (v >= 2048) break;
                sum += v;
                ++count;
            }
            bool right = true;
            if (sum > beat_) {
                right = false;
                for (size_t j = pos; j < pos + size_t(count); ++j) markWrong(a_.NoteSymbol.at(list_[j]), fault::RhythmsBeam);
            }
            if (getInt(a_.BeamFlag.at(beam), "Count") != count) right = false;
            if (!right) {
                markWrong(a_.BeamFlag.at(beam), fault::Beaming);
                return false;
            }
        }
        bool right = true;
        const qint32 v = noteValue(a_, e);
        accumulated_ += v;
        // A rest has no flag to beam.
        if (v < 2048 && note && note->Rest() == 0 && note->HideFlags() == 0 && ++flagged_ > 1) {
            right = false;
            markWrong(a_.NoteSymbol.at(e), fault::BeamingOfNotes);
        }
        if (beat_ > 0) {
            while (accumulated_ >= beat_) {
                flagged_ = 0;
                accumulated_ -= beat_;
            }
        }
        return right;
    }

private:
    // The first written beam whose left edge is the note's stem.
    int beamStartingAt(music::Note* note) const {
        if (!note) return 0;
        const double stem = note->StemPosition();
        const int ub = a_.BeamFlag.ubound();
        for (int k = 1; k <= ub; ++k)
            if (flags_.get(ColBeams, k) && a_.BeamFlag.exists(k) && a_.BeamFlag.Left(k) == stem) return k;
        return 0;
    }

    const NotationArrays& a_;
    const LoadedFlags& flags_;
    const std::vector<int>& list_;
    const qint32 beat_;
    qint64 accumulated_ = 0;
    int flagged_ = 0;
};

// The deductions both markers make before the notes: 5 for each bar staff whose notes do not
// fill one bar, 5 when the rests or the bars as a whole are faulty.
double barDeductions(const NotationArrays& a, const LoadedFlags& flags, const Metre& m) {
    double deduction = 0;
    const int ub = a.StaffLines.ubound();
    for (int k = 2; k <= ub; ++k)
        if (a.StaffLines.exists(k) && !CheckNoteValues(a, flags, k, m.pulses, m.unit)) deduction += 5;
    if (!CalculateAddRest(a, flags)) deduction += 5;
    return deduction;
}

// A score counts up to the next whole number unless its fraction is below 0.1; never below 0.
double finalScore(double score) {
    const double s = basic::Int(score + 0.9);
    return s < 0 ? 0 : s;
}

// Both scorers start alike: the pad's last tap is written and the piano's waiting note
// dropped, so nothing played lands on the set once it is marked; the marks of an earlier Stop
// are cleared, and the bars are checked. Returns the written notes and rests.
std::vector<int> beginMarking(LessonContext& ctx, Metre& m) {
    ctx.playedInput->PianoStopMouseDown();
    ctx.playedInput->CommitPendingTap();
    m = exerciseMetre(ctx.arrays);
    const std::vector<int> written = loadedNotes(ctx.arrays, ctx.LoadedFlags);
    for (int i : written) clearMark(ctx.arrays.NoteSymbol.at(i));
    ctx.state.ExerciseScore -= barDeductions(ctx.arrays, ctx.LoadedFlags, m);
    return written;
}

} // namespace

bool keySignatureWritten(const NotationArrays& a, const LoadedFlags& flags, int staff) {
    const QString tag = QString::number(staff);
    for (int i = 1; i <= a.KeySign.ubound(); ++i)
        if (flags.get(ColKeySign, i) && a.KeySign.exists(i) && a.KeySign.Tag(i) == tag) return true;
    return false;
}

bool CheckKeySignature(const NotationArrays& a, const LoadedFlags& flags, int staff, int keyScale, int clefIndex,
                       double leftOffset, int rowOffset, const QString& lessonName) {
    const KeyTables& t = keyTables();
    const QString tag = QString::number(staff);
    QWidget* staffElement = a.StaffLines.at(staff);
    const double staffLeft = a.StaffLines.Left(staff), staffTop = a.StaffLines.Top(staff);
    const int lineTop = getInt(staffElement, "LineTop");
    const int clef = getInt(a.ClefSymbol.at(clefIndex), "Clef");
    int count = 0, first = 0;
    const int ub = a.KeySign.ubound();
    for (int i = 1; i <= ub; ++i) {
        if (!flags.get(ColKeySign, i) || !a.KeySign.exists(i) || a.KeySign.Tag(i) != tag) continue;
        clearMark(a.KeySign.at(i));
        ++count;
        const int sign = getInt(a.KeySign.at(i), "AccidentalSign");
        if (count == 1) first = sign;
        else if (sign != first) return false;
        // More accidentals than any key has.
        if (count > 7) return false;
        const int p = int(basic::roundHalfEven((a.KeySign.Left(i) - 510 - staffLeft - leftOffset) / 130));
        // The staff's top in twips and its top line in pixels, as the accidentals were placed.
        const int r = int(basic::Int((staffTop + lineTop) / 75)) + 1 + rowOffset;
        const bool sharps = keyScale > 0 && sign == 1, flats = keyScale < 0 && sign == 2;
        if (!sharps && !flats) return false;
        const size_t c = size_t(count);
        int expected = sharps ? t.SharpPositions[c] : t.FlatPositions[c];
        if (clef == 1) {
            expected += 2;
        } else if (clef != 0) {
            const bool namesAlto = lessonName.contains("alto"), namesTenor = lessonName.contains("tenor");
            const bool altoPlace = a.ClefSymbol.Top(clefIndex) == staffTop + 15.0 * lineTop - 420;
            if ((namesAlto || !namesTenor) && altoPlace) expected += 1;
            else expected = sharps ? t.FlatSteps[c] : t.SharpSteps[c];
        }
        const int j = i + p - (count - 1);
        if (!flags.get(ColKeySign, j) || !a.KeySign.exists(j)) return false;
        if (int(basic::Int(a.KeySign.Top(j) / 75)) - r != expected) return false;
    }
    return std::abs(keyScale) == count;
}

void ScoreMelody(LessonContext& ctx) {
    NotationArrays& a = ctx.arrays;
    const LoadedFlags& flags = ctx.LoadedFlags;
    ExerciseState& s = ctx.state;
    Metre m;
    const std::vector<int> written = beginMarking(ctx, m);

    const int keyScale = getInt(a.ChordSymbol.at(1), "KeyScale");
    const bool keyOK = CheckKeySignature(a, flags, 2, keyScale, 1, -495, 1, lessonTitle(s.CurrentLesson));
    const bool keyWritten = keySignatureWritten(a, flags, 2);
    for (int i = 1; i <= a.KeySign.ubound(); ++i) {
        if (!flags.get(ColKeySign, i) || !a.KeySign.exists(i) || a.KeySign.Tag(i) != QLatin1String("2")) continue;
        if (keyWritten && !keyOK) markWrong(a.KeySign.at(i), fault::KeySignature);
        else clearMark(a.KeySign.at(i));
    }
    if (keyWritten && !keyOK) s.ExerciseScore -= 10;
    // Without a right signature written, pitches are read without the key's accidentals.
    const std::optional<qint32> key = keyWritten && keyOK ? std::optional<qint32>(keyScale) : std::nullopt;

    std::vector<int> list = written;
    sortByLeft(a, list);
    const auto& melody = s.items.NoteTable;
    const int n = int(melody.size());
    const int tonic = s.items.ItemTonic[1];
    BeamBeatCheck beats(a, flags, list, m.beatTicks());
    int octave = 0;
    for (size_t pos = 0; pos < list.size(); ++pos) {
        const int i = int(pos) + 1, e = list[pos];
        QWidget* w = a.NoteSymbol.at(e);
        if (!beats.check(pos)) continue;
        if (i > n) {
            if (!isRest(a, e)) markWrong(w, fault::TooMany);
            continue;
        }
        // A rest where the melody has a note earns nothing, wherever it stands.
        if (isRest(a, e)) {
            markWrong(w, fault::NoteValue);
            continue;
        }
        // A note on no staff has no pitch.
        const int staff = basic::valInt(a.NoteSymbol.Tag(e));
        if (staff < 1 || !a.StaffLines.exists(staff)) {
            markWrong(w, fault::Pitch);
            continue;
        }
        int staffIndex = staff;
        const int pitch =
            GetEffectiveAccidental(*ctx.staff, e, a.NoteSymbol, a.ClefSymbol.at(1), staffIndex, key) - 1;
        const TimedNote& want = melody[size_t(i - 1)];
        const int expected = want.pitch + tonic;
        if (i == 1) {
            if (pitch == expected) octave = 0;
            else if (pitch + 12 == expected) octave = 12;
            else if (pitch - 12 == expected) octave = -12;
        }
        if (pitch + octave != expected) markWrong(w, fault::Pitch);
        else if (ticksOf(want.ms) == noteValue(a, e) || i == n) s.ExerciseScore += 100.0 / n;
        else markWrong(w, fault::NoteValue);
    }
    s.ExerciseScore = finalScore(s.ExerciseScore);
}

void ScoreRhythm(LessonContext& ctx) {
    NotationArrays& a = ctx.arrays;
    const LoadedFlags& flags = ctx.LoadedFlags;
    ExerciseState& s = ctx.state;
    Metre m;
    const std::vector<int> written = beginMarking(ctx, m);

    std::vector<int> list = written;
    sortByLeft(a, list);
    const auto& rhythm = s.items.NoteTable;
    const int n = int(rhythm.size());
    BeamBeatCheck beats(a, flags, list, m.beatTicks());
    for (size_t pos = 0; pos < list.size(); ++pos) {
        const int i = int(pos) + 1, e = list[pos];
        QWidget* w = a.NoteSymbol.at(e);
        if (!beats.check(pos)) continue;
        if (i > n) {
            if (!isRest(a, e)) markWrong(w, fault::TooMany);
            continue;
        }
        // A rest is no answer to a heard note, even of the note's value; nor is a note on no
        // staff.
        const int staff = basic::valInt(a.NoteSymbol.Tag(e));
        if (isRest(a, e) || staff < 1 || !a.StaffLines.exists(staff)) {
            markWrong(w, fault::NoteValue);
            continue;
        }
        if (ticksOf(rhythm[size_t(i - 1)].ms) == noteValue(a, e) || i == n) s.ExerciseScore += 100.0 / n;
        else markWrong(w, fault::NoteValue);
    }
    s.ExerciseScore = finalScore(s.ExerciseScore);
}

} // namespace lessons::written
