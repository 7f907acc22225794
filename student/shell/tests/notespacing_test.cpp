// The layout check of the notes the lessons write: the rhythms lesson 7 shows and what a
// student plays into lessons 2 and 4 (each heard melody and rhythm played back in time),
// over many generated sets at every level. On each bar staff every note and rest stands
// clear of the next one (its head, stem, flags and dots end before the next one's
// accidental, head or stem begins), and all of them stand between the bar's opening (the
// time signature or the bar line before) and its closing bar line.
#include "playedlessonsfixture.h"

#include "music/note/note.h"
#include "student/lessons/lesson7/rhythmplayexercise.h"
#include "student/lessons/written/writtenexercises.h"

#include <QFontMetrics>
#include <climits>

namespace shell {
namespace {

using testing::PlayedLessons;

// Clear pixels between two notes' ink, at least.
constexpr int kClear = 1;

// What a note or rest inks, box by box in window pixels: its glyphs (accidental, head or
// rest, flags, dots) and its stem; leger lines, which may meet the next note's, are left out.
struct Ink {
    QVector<QRect> boxes;
    int left() const { int l = INT_MAX; for (const QRect& b : boxes) l = qMin(l, b.left()); return l; }
    int right() const { int r = INT_MIN; for (const QRect& b : boxes) r = qMax(r, b.right()); return r; }
    // Some box of `other` touches or overlaps one of these.
    bool touches(const Ink& other) const {
        for (const QRect& a : boxes)
            for (const QRect& b : other.boxes)
                if (a.adjusted(-kClear, -kClear, kClear, kClear).intersects(b)) return true;
        return false;
    }
};

Ink inkOf(const music::Note& n) {
    Ink ink;
    const QFontMetrics fm(n.Font());
    for (const music::NoteDrawOp& op : n.drawOps(n.geometry())) {
        if (op.kind == music::NoteDrawOp::Text) {
            const QRect box = fm.boundingRect(op.text);
            if (!box.isEmpty()) ink.boxes << box.translated(op.x, op.y + fm.ascent());
        } else if (op.x == op.x2) {
            ink.boxes << QRect(QPoint(op.x, qMin(op.y, op.y2)), QPoint(op.x, qMax(op.y, op.y2)));
        }
    }
    return ink;
}

class NoteSpacing : public PlayedLessons {
protected:
    // Every fault of the staff as it stands, one line each.
    QStringList faults() {
        QStringList out;
        lessons::NotationArrays& arr = a();
        for (int s = 2; s <= arr.StaffLines.ubound(); ++s) {
            if (!arr.StaffLines.exists(s)) continue;
            std::vector<std::pair<double, int>> items;
            for (int n = 1; n <= arr.NoteSymbol.ubound(); ++n)
                if (frm->context().LoadedFlags.get(2, n) && arr.NoteSymbol.exists(n) &&
                    arr.NoteSymbol.Tag(n).toInt() == s)
                    items.push_back({arr.NoteSymbol.Left(n), n});
            std::sort(items.begin(), items.end());
            // The bar opens after the time signature (first bar) or the bar line before it,
            // and closes at its own bar line's first stroke.
            int opening = arr.StaffLines[s]->x();
            if (s == 2) opening = qMax(opening, arr.tmMeter[1]->geometry().right());
            else if (arr.Bar.exists(s - 2)) opening = arr.Bar[s - 2]->geometry().right();
            const int closing = arr.Bar.exists(s - 1) ? arr.Bar[s - 1]->x() + 2 : arr.StaffLines[s]->geometry().right();
            int before = opening;
            QString previous = "the bar's opening";
            Ink previousInk;
            for (const auto& item : items) {
                auto* note = qobject_cast<music::Note*>(arr.NoteSymbol[item.second]);
                if (!note) continue;
                const Ink ink = inkOf(*note);
                if (ink.boxes.isEmpty()) continue;
                const QString name = QString("staff %1 note %2 (value %3%4%5%6)")
                                         .arg(s)
                                         .arg(item.second)
                                         .arg(note->noteName())
                                         .arg(note->Rest() ? " rest" : "")
                                         .arg(note->DotsNumberOf() ? " dotted" : "")
                                         .arg(note->AccidentalName() ? " with an accidental" : "");
                if (previousInk.boxes.isEmpty() ? ink.left() - before - 1 < kClear : previousInk.touches(ink))
                    out << QString("%1 inks %2..%3, %4 ends at %5").arg(name).arg(ink.left()).arg(ink.right()).arg(previous).arg(before);
                before = ink.right();
                previous = name;
                previousInk = ink;
            }
            if (closing - before - 1 < kClear)
                out << QString("%1 ends at %2, its bar line stands at %3").arg(previous).arg(before).arg(closing);
        }
        return out;
    }

    void expectClear(const QString& set) {
        const QStringList f = faults();
        EXPECT_TRUE(f.isEmpty()) << set.toStdString() << ":\n  " << f.join("\n  ").toStdString();
    }

    // A new set of the lesson entered, at `level`, drawn from `seed`: the lesson's builder
    // runs again as the Go button runs it.
    void nextSet(int level, uint64_t seed) {
        Draws random({}, seed);
        common::Random::setInstance(&random);
        frm->state.CurrentLevel = qint16(level);
        switch (frm->state.CurrentLesson) {
        case 2: lessons::written::NewMelodyExercise(frm->context()); break;
        case 4: lessons::written::NewRhythmExercise(frm->context()); break;
        default: lessons::NewRhythmPlayExercise(frm->context()); break;
        }
        common::Random::setInstance(nullptr);
        QApplication::processEvents();
    }

    // The heard notes played back, each as long as the capture needs to write its value
    // against the measured beat; the last one held for its length and written by the
    // metronome.
    void playBack(const sound::BeatState& beat, const std::function<void(qint64 at, qint64 held, int note)>& press) {
        const auto heard = frm->state.items.NoteTable;
        QWidget* metre = a().tmMeter[1];
        const qint32 beatTicks = qint32(lessons::GetBeatTicks(lessons::getInt(metre, "Pulses"), lessons::getInt(metre, "NoteValue")));
        const auto lengthFor = [&](qint32 value) {
            for (qint64 ms = 50; ms < 8000; ms += 10)
                if (sound::classifyLength(ms, beat.SliderValue, beat.BeatPeriod, beatTicks).ticks == value) return ms;
            ADD_FAILURE() << "no played length writes " << value;
            return qint64(1000);
        };
        const qint64 t0 = clock.nowMs();
        qint64 at = 0;
        for (size_t k = 0; k < heard.size(); ++k) {
            const qint64 length = lengthFor(qRound(heard[k].ms * 2.048));
            press(t0 + at, k + 1 < heard.size() ? qMin<qint64>(100, length / 2) : length, heard[k].pitch);
            at += length;
        }
        ticks.advance(2800);
    }

    void everySet(int levels, const std::function<void()>& play);
};

constexpr int kSetsPerLevel = 40;

// Every set of levels 1 to `levels` of the lesson entered: `play` writes what the student
// plays (nothing, where the lesson shows the notes itself); then no two notes may touch.
void NoteSpacing::everySet(int levels, const std::function<void()>& play) {
    const int lesson = frm->state.CurrentLesson;
    for (int level = 2; level <= levels + 1; ++level)
        for (int set = 0; set < kSetsPerLevel; ++set) {
            nextSet(level, uint64_t(1000 * level + set));
            play();
            if (HasFatalFailure()) return;
            expectClear(QString("lesson %1, level %2, set %3").arg(lesson).arg(level - 1).arg(set));
        }
}

TEST_F(NoteSpacing, RhythmsShownInLesson7StandClear) {
    startLesson(7, 2, {});
    everySet(11, [] {});
}

TEST_F(NoteSpacing, RhythmsTappedInLesson4StandClear) {
    startLesson(4, 2, {});
    played::FrmDrum& pad = drum();
    measureBeat(pad.metronome(), pad.logic().beat);
    everySet(6, [&] {
        measureBeat(pad.metronome(), pad.logic().beat);
        playBack(pad.logic().beat, [&](qint64 at, qint64 held, int) { tapAt(pad, at, held); });
        ASSERT_FALSE(written().empty());
    });
}

TEST_F(NoteSpacing, MelodiesPlayedInLesson2StandClear) {
    startLesson(2, 2, {});
    played::FrmKeyboard& kb = piano();
    measureBeat(kb.metronome(), kb.logic().beat);
    everySet(12, [&] {
        measureBeat(kb.metronome(), kb.logic().beat);
        const int tonic = frm->state.items.ItemTonic[1];
        playBack(kb.logic().beat, [&](qint64 at, qint64 held, int pitch) {
            // The piano's key k sounds MIDI note 48 + k; the melody's pitch is above the tonic
            // from MIDI note 60.
            const int key = qBound(0, pitch + tonic + 12, sound::kPianoKeys - 1);
            ticks.advance(at - clock.nowMs());
            kb.key_MouseDown(key);
            ticks.advance(held);
            kb.key_MouseUp(key);
        });
        ASSERT_FALSE(written().empty());
    });
}

} // namespace
} // namespace shell
