#pragma once
// A student at the real main window in a written lesson: the lesson started from the list in
// test mode, the heard melody or rhythm read from what the builder left, and written with the
// palettes and clicks on the staves (key signature, notes, dots, beams, closing rests), then
// marked with Stop. Shared by the end-to-end tests and the screenshots.
#include "shelltestsupport.h"

#include "common/random.h"
#include "music/framework/dispatch.h"
#include "platform/clock.h"
#include "student/lessons/generators/beatgrid.h"
#include "student/lessons/musicmath.h"
#include "student/palettes/paletteregistry.h"
#include "student/palettes/palettewindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace shell::testing {

using lessons::getInt;

// The builders' draws: the values given (metre, key), then a fixed stream (the melody or
// rhythm).
class DrawsThenSeeded : public common::Random {
public:
    void reset(std::vector<double> first, uint64_t seed) {
        first_ = std::move(first);
        pos_ = 0;
        rest_ = common::SeededRandom(seed);
    }
    double next() override { return pos_ < first_.size() ? first_[pos_++] : rest_.next(); }

private:
    std::vector<double> first_;
    size_t pos_ = 0;
    common::SeededRandom rest_{1};
};

// One symbol to write: its staff, its length in ms (1000 a quarter), a rest or a note on a
// staff step (0 the bottom line), and the beam group it belongs to (0 none).
struct Symbol {
    int staff = 2;
    int ms = 1000;
    bool rest = false;
    int step = 4;
    int beam = 0;
};

class WrittenLessonTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        common::Random::setInstance(&random_);
    }
    void TearDown() override {
        frm.reset();
        common::Random::setInstance(nullptr);
        ShellTest::TearDown();
    }

    // Ann, in test mode, at the lesson list, with the lesson records given.
    void annAtTheList(std::initializer_list<const char*> records) {
        QStringList l = {"begin", "name=Ann", "password=pw", "upper=85", "lower=70", "practice=false", "interval=3"};
        for (const char* r : records) l << r;
        l << "end";
        QString text;
        for (const QString& line : l) text += line + common::CRLF;
        writeProfile(text);
        frm = loadedWindow();
        frm->resize(1200, 820);
        scriptLogin("Ann", "pw");
        frm->runMenuCommand("mnuGamePlayer");
    }
    // Starts lesson `lesson` from the list: Yes to the test-mode question, OK to the
    // announcement.
    void start(int lesson, std::vector<double> draws, uint64_t seed) {
        random_.reset(std::move(draws), seed);
        frm->lvwLesson->clearSelection();
        frm->lvwLesson->topLevelItem(lesson - 1)->setSelected(true);
        dialogs_.answers = {platform::AnsYes, platform::AnsOk};
        frm->cmdStart_Click();
        QApplication::processEvents();
    }

    lessons::LessonContext& ctx() { return frm->context(); }
    lessons::NotationArrays& a() { return *frm->arrays; }
    lessons::ExerciseState& state() { return frm->state; }

    // ---- What the student does ----
    static QPoint px(double x, double y) { return QPoint(int(x / 15), int(y / 15)); }
    void clickAt(QWidget* w, double x, double y) {
        QTest::mousePress(w, Qt::LeftButton, {}, px(x, y));
        QTest::mouseRelease(w, Qt::LeftButton, {}, px(x, y));
        QApplication::processEvents();
    }
    void tool(const QString& window, int button) {
        palettes::PaletteRegistry& p = frm->paletteWindows();
        if (!p.isVisible(window)) p.show(window);
        QWidget* b = p.palette(window)->button(button);
        ASSERT_TRUE(b && b->isVisible() && b->isEnabled()) << qPrintable(window) << " " << button;
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    bool pressed(const QString& window, int button) { return state().tools.pressed(window, button); }
    // Releases a tool by clicking it again.
    void release(const QString& window, int button) {
        if (pressed(window, button)) tool(window, button);
    }
    std::vector<int> writtenNotes() {
        std::vector<int> out;
        for (int i = 1; i <= a().NoteSymbol.ubound(); ++i)
            if (ctx().LoadedFlags.get(2, i) && a().NoteSymbol.exists(i)) out.push_back(i);
        return out;
    }

    // The heard notes as the student writes them, then the rests that close the last bar;
    // beam groups join the short notes of one beat.
    std::vector<Symbol> heardAsWritten(bool pitched) {
        const lessons::ExerciseState& s = state();
        QObject* metre = a().tmMeter[1];
        const int pulses = getInt(metre, "Pulses");
        const int beat = lessons::beatMs(pulses), bar = beat * lessons::beatsPerBar(pulses);
        const int staves = a().StaffLines.ubound();
        std::vector<Symbol> out;
        int pos = 0, beam = 0, groupBeat = -1, groupSize = 0;
        for (const lessons::TimedNote& n : s.items.NoteTable) {
            Symbol sym;
            sym.staff = 2 + pos / bar;
            sym.ms = n.ms;
            sym.step = pitched ? stepOf(n.pitch) : 4;
            // Short notes (under a quarter) of one beat share a beam.
            if (n.ms < 1000) {
                if (pos / beat != groupBeat) {
                    groupBeat = pos / beat;
                    groupSize = 0;
                    ++beam;
                }
                sym.beam = beam;
                ++groupSize;
            }
            out.push_back(sym);
            pos += n.ms;
        }
        // A beam over one note is none.
        for (Symbol& sym : out) {
            int size = 0;
            for (const Symbol& o : out) size += sym.beam != 0 && o.beam == sym.beam;
            if (size < 2) sym.beam = 0;
        }
        // Rests to the end: the rest of the beat in sixteenths and eighths (or eighths in a
        // compound beat), then whole beats of quarters (a quarter and an eighth in a compound
        // beat).
        const int end = (staves - 1) * bar;
        auto rest = [&](int ms) {
            Symbol r;
            r.staff = 2 + pos / bar;
            r.ms = ms;
            r.rest = true;
            out.push_back(r);
            pos += ms;
        };
        while (pos < end) {
            const int in = pos % beat;
            if (in == 0) {
                rest(1000);
                if (beat == 1500) rest(500);
            } else if (beat == 1500 || in % 500 == 0) {
                rest(500);
            } else {
                rest(250);
            }
        }
        return out;
    }
    // The staff step of a pitch of the key: the tonic's letter at or above the treble staff's
    // bottom line's E (written an octave up where the melody sounds lower).
    int stepOf(int pitch) const {
        const int key = getInt(frm->arrays->ChordSymbol[1], "KeyScale");
        // The tonic's letter (C = 0 .. B = 6) and its step above the bottom line's E.
        static const int kLetterOfKey[15] = {0, 4, 1, 5, 2, 6, 3, 0, 4, 1, 5, 2, 6, 3, 0};
        const int letter = kLetterOfKey[key + 7];
        const int tonicStep = (letter + 7 - 2) % 7;   // E = 0
        static const int kDegrees[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24};
        int degree = 0;
        while (degree < 14 && kDegrees[degree] != pitch) ++degree;
        return tonicStep + degree;
    }

    // The key signature of the shown key, clicked on staff 2 in the order of its accidentals.
    void writeKeySignature() {
        const int key = getInt(a().ChordSymbol[1], "KeyScale");
        const lessons::KeyTables& t = lessons::keyTables();
        const int button = key > 0 ? 3 : 4;   // "Sharp", "Flat"
        for (int k = 1; k <= std::abs(key); ++k) {
            tool("frmFloatingAccidentals", button);
            const int row = key > 0 ? t.SharpPositions[size_t(k)] : t.FlatPositions[size_t(k)];
            clickAt(a().StaffLines[2], 300, 450 + 75.0 * row);
        }
        release("frmFloatingAccidentals", button);
    }

    // Writes the symbols staff by staff, left to right, each click clear of the note before
    // it, a dot right after its note; then the beams.
    void writeSymbols(const std::vector<Symbol>& symbols, bool pitched) {
        std::map<int, std::vector<size_t>> byStaff;
        for (size_t i = 0; i < symbols.size(); ++i) byStaff[symbols[i].staff].push_back(i);
        std::vector<int> index(symbols.size(), 0);
        for (const auto& [staff, list] : byStaff) {
            const double width = a().StaffLines.Width(staff);
            const double from = staff == 2 && pitched ? 1500 : 450;
            const double gap = std::min(450.0, (width - from - 250) / double(list.size()));
            double x = from;
            for (size_t i : list) {
                const Symbol& sym = symbols[i];
                const int base = sym.ms == 1500 ? 1000 : sym.ms == 750 ? 500 : sym.ms;
                const int button = base == 1000 ? 5 : base == 500 ? 6 : base == 250 ? 7 : 4;
                tool(sym.rest ? "frmFloatingRests" : "frmFloatingNotes", button);
                const std::vector<int> before = writtenNotes();
                clickAt(a().StaffLines[staff], x, pitched && !sym.rest ? 1050 - 75.0 * sym.step : 700);
                const std::vector<int> after = writtenNotes();
                EXPECT_EQ(after.size(), before.size() + 1) << "symbol " << i << " on staff " << staff;
                for (int n : after)
                    if (std::find(before.begin(), before.end(), n) == before.end()) index[i] = n;
                // A dotted value gets its dot at once, so the symbols after it are spaced by
                // its whole length.
                if (sym.ms == 750 || sym.ms == 1500) {
                    tool("frmFloatingNotes", 13);   // "Dot"
                    clickAt(a().NoteSymbol[index[i]], 300, 900);
                    release("frmFloatingNotes", 13);
                }
                x += gap;
            }
            release("frmFloatingRests", 5);
            release("frmFloatingRests", 6);
            release("frmFloatingRests", 7);
        }
        // Beams: the arrow selects a group, "Beam" joins it.
        std::map<int, std::vector<int>> groups;
        for (size_t i = 0; i < symbols.size(); ++i)
            if (symbols[i].beam) groups[symbols[i].beam].push_back(index[i]);
        for (const auto& [beam, notes] : groups) {
            tool("frmFloatingMisc", 14);   // "Arrow"
            for (int n : notes) clickAt(a().NoteSymbol[n], 300, 900);
            tool("frmFloatingMisc", 11);   // "Beam"
        }
        release("frmFloatingMisc", 14);
        written_ = index;
    }

    // ---- What the marking shows ----
    static QString markOf(QWidget* w) {
        const bool red = music::dispGet(w, "ForeColor").toUInt() == 255;
        return red ? "red: " + w->toolTip() : w->toolTip().isEmpty() ? "black" : "black: " + w->toolTip();
    }
    // The marks of the symbols written on a staff, left to right, and of the beams over them.
    QStringList marksOnStaff(int staff) {
        QStringList out;
        const QString tag = QString::number(staff);
        std::vector<int> on;
        for (int n : writtenNotes())
            if (a().NoteSymbol.Tag(n) == tag) on.push_back(n);
        std::sort(on.begin(), on.end(), [&](int l, int r) { return a().NoteSymbol.Left(l) < a().NoteSymbol.Left(r); });
        for (int n : on) out << markOf(a().NoteSymbol[n]);
        for (int b = 1; b <= a().BeamFlag.ubound(); ++b)
            if (a().BeamFlag.exists(b) && a().BeamFlag.Tag(b) == tag) out << "beam " + markOf(a().BeamFlag[b]);
        return out;
    }
    static QStringList all(int count, const QString& mark) {
        QStringList out;
        for (int i = 0; i < count; ++i) out << mark;
        return out;
    }

    std::unique_ptr<FrmTonvale> frm;
    DrawsThenSeeded random_;
    std::vector<int> written_;   // the element written for each symbol
};

} // namespace shell::testing
