#pragma once
// The main window loaded with the recorder as MIDI device, a virtual clock whose metronome
// ticks the tests step, and lessons entered with scripted draws; what the played-answer tests
// read back of the staff.
#include "shelltestsupport.h"

#include "student/lessons/itemscorers.h"

#include "common/random.h"
#include "platform/clock.h"
#include "platform/metronometimer.h"
#include "student/lessons/musicmath.h"
#include "student/palettes/paletteregistry.h"
#include "student/played/playedinputs.h"
#include "student/staff/notationcalls.h"
#include "student/staff/staffmath.h"

#include <QKeyEvent>
#include <algorithm>
#include <set>

namespace shell::testing {

inline QString bytesOf(quint32 message) {
    QStringList bytes;
    for (quint8 b : platform::shortMessageBytes(message)) bytes << QString("%1").arg(b, 2, 16, QChar('0')).toUpper();
    return bytes.join(' ');
}

class PlayedLessons : public ShellTest {
protected:
    // The given draws first, then a seeded stream.
    class Draws : public common::Random {
    public:
        Draws(std::vector<double> first, uint64_t seed) : first_(std::move(first)), rest_(seed) {}
        double next() override { return pos_ < first_.size() ? first_[pos_++] : rest_.next(); }
    private:
        std::vector<double> first_;
        size_t pos_ = 0;
        common::SeededRandom rest_;
    };

    void SetUp() override {
        ShellTest::SetUp();
        frm = loadedWindow();
        session().PlayerName = "Ann";
        frm->menus()->item("mnuPracticeMode")->setChecked(true);
    }
    void TearDown() override {
        frm.reset();
        ShellTest::TearDown();
    }

    // Lesson `lesson` entered at internal level `level` with the draws given.
    void startLesson(int lesson, int level, std::vector<double> draws, uint64_t seed = 1) {
        Draws random(std::move(draws), seed);
        common::Random::setInstance(&random);
        frm->state.CurrentLevel = qint16(level);
        frm->SelectFrame(lesson);
        common::Random::setInstance(nullptr);
        QApplication::processEvents();
    }

    lessons::NotationArrays& a() { return frm->context().arrays; }

    played::FrmKeyboard& piano() {
        if (!frm->paletteWindows().isVisible("frmKeyboard")) frm->paletteWindows().toggle("mnuPiano");
        played::FrmKeyboard* kb = frm->playedInputs().keyboardWindow();
        kb->Form_Activate();
        return *kb;
    }
    played::FrmDrum& drum() {
        if (!frm->paletteWindows().isVisible("frmDrum")) frm->paletteWindows().toggle("mnuDrum");
        played::FrmDrum* d = frm->playedInputs().drumWindow();
        d->Form_Activate();
        return *d;
    }
    // Ticks until the metronome has measured its beat.
    void measureBeat(sound::MetronomePanel& panel, const sound::BeatState& beat) {
        ASSERT_TRUE(panel.enabled());
        for (int i = 0; i < 20 && beat.BeatPeriod == 0; ++i) ticks.step();
        ASSERT_EQ(beat.BeatPeriod, 1000);
    }
    void tapAt(played::FrmDrum& pad, qint64 at, qint64 held) {
        ticks.advance(at - clock.nowMs());
        pad.optDrum_MouseDown();
        ticks.advance(held);
        pad.optDrum_MouseUp();
    }
    void keyEvent(QWidget* w, QEvent::Type type, int key, bool autoRepeat = false) {
        QKeyEvent e(type, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(w, &e);
    }

    // Loaded notes and rests in time order (staff, then left to right).
    std::vector<int> written() {
        std::vector<int> out;
        for (int i = 1; i <= a().NoteSymbol.ubound(); ++i)
            if (frm->context().LoadedFlags.get(2, i) && a().NoteSymbol.exists(i)) out.push_back(i);
        std::stable_sort(out.begin(), out.end(), [this](int x, int y) {
            const int sx = a().NoteSymbol.Tag(x).toInt(), sy = a().NoteSymbol.Tag(y).toInt();
            return sx != sy ? sx < sy : a().NoteSymbol.Left(x) < a().NoteSymbol.Left(y);
        });
        return out;
    }
    int noteTicks(int n) { return staffedit::noteValueOf(a().NoteSymbol[n]); }
    // The staff step of a note's head: 0 on its staff's bottom line, one per 75 twips up.
    int stepOf(int n) {
        const int staff = a().NoteSymbol.Tag(n).toInt();
        const double bottom = staffedit::bottomLineRef(
            a().StaffLines.Top(staff), lessons::getInt(a().StaffLines[staff], "LineTop"),
            lessons::getInt(a().StaffLines[staff], "LineSpace"), lessons::getInt(a().NoteSymbol[0], "NoteTop"));
        // Space notes beyond the leger lines stand 15 twips off their step: the nearest step.
        return qRound((bottom - a().NoteSymbol.Top(n)) / 75);
    }
    int loaded(lessons::ElementArray& arr, int column) {
        int count = 0;
        for (int i = 1; i <= arr.ubound(); ++i) count += frm->context().LoadedFlags.get(column, i) && arr.exists(i);
        return count;
    }
    // The written notes, in time order, that a loaded beam holds.
    std::vector<int> beamedNotes() {
        std::set<int> stems;
        for (int b = 1; b <= a().BeamFlag.ubound(); ++b) {
            if (!frm->context().LoadedFlags.get(6, b) || !a().BeamFlag.exists(b)) continue;
            const int count = lessons::getInt(a().BeamFlag[b], "Count");
            for (int j = 1; j <= count; ++j)
                stems.insert(lessons::getInt(staffedit::beamItemOf(a().BeamFlag[b], j), "StemPosition"));
        }
        std::vector<int> out;
        for (int n : written())
            if (stems.count(staffedit::stemPositionOf(a().NoteSymbol[n]))) out.push_back(n);
        return out;
    }

    // Lesson 7's staff: notes, then rests, filling `bars` bars exactly, each on its bar's
    // staff, the notes those of the rhythm heard (`notes` of them; -1: as many as fit), and
    // every beam inside one beat.
    void checkRhythmWritten(int bars, int notes) {
        QWidget* metre = a().tmMeter[1];
        const int bpb = lessons::GetBeatsPerBar(metre);
        const int beat = int(lessons::GetBeatTicks(lessons::getInt(metre, "Pulses"), lessons::getInt(metre, "NoteValue")));
        ASSERT_GT(bpb * beat, 0);
        EXPECT_EQ(loaded(a().StaffLines, 0) >= 0, true);
        EXPECT_EQ(a().StaffLines.ubound(), bars + 1);
        // The staves meet on screen, and every bar line is a plain one but the final.
        for (int s = 2; s <= bars + 1; ++s)
            EXPECT_EQ(a().StaffLines[s]->x(), a().StaffLines[s - 1]->geometry().right() + 1) << "staff " << s;
        for (int b = 1; b <= bars; ++b)
            EXPECT_EQ(lessons::getInt(a().Bar[b], "BarLineType"), b == bars ? 2 : 0) << "bar line " << b;
        const auto ns = written();
        const auto& heard = frm->state.items.NoteTable;
        qint64 ticks = 0;
        int noteCount = 0;
        bool restsBegun = false;
        std::map<int, int> beatOfStem;
        for (int n : ns) {
            const bool rest = lessons::getInt(a().NoteSymbol[n], "Rest") != 0;
            if (rest) restsBegun = true;
            else {
                EXPECT_FALSE(restsBegun) << "a note after the rests";
                ASSERT_LT(size_t(noteCount), heard.size());
                EXPECT_EQ(noteTicks(n), qRound(heard[size_t(noteCount)].ms * 2.048)) << noteCount;
                ++noteCount;
            }
            EXPECT_EQ(a().NoteSymbol.Tag(n).toInt(), int(ticks / (bpb * beat)) + 2) << n;
            beatOfStem[staffedit::stemPositionOf(a().NoteSymbol[n])] = int(ticks / beat);
            ticks += noteTicks(n);
        }
        EXPECT_EQ(ticks, qint64(bars) * bpb * beat);
        if (notes >= 0) EXPECT_EQ(noteCount, notes);
        else EXPECT_LT(size_t(noteCount), heard.size());
        for (int b = 1; b <= a().BeamFlag.ubound(); ++b) {
            if (!a().BeamFlag.exists(b)) continue;
            std::set<int> beats;
            const int count = lessons::getInt(a().BeamFlag[b], "Count");
            EXPECT_GE(count, 2);
            for (int j = 1; j <= count; ++j)
                beats.insert(beatOfStem[lessons::getInt(staffedit::beamItemOf(a().BeamFlag[b], j), "StemPosition")]);
            EXPECT_EQ(beats.size(), 1u) << "beam " << b;
        }
        // Nothing is selected once the set is written.
        for (int n : ns) EXPECT_EQ(lessons::getInt(a().NoteSymbol[n], "ForeColor"), 0);
    }

    platform::VirtualClock clock{10000};
    platform::ClockOverride clockGuard{&clock};
    platform::VirtualTicks ticks{clock};
    std::unique_ptr<FrmTonvale> frm;
};

} // namespace shell::testing
