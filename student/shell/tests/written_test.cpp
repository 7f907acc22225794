// Lessons 2 and 4 end to end on the real main window, offscreen: a test-mode set started from
// the lesson list, the question heard, the answer written with palette clicks on the staves,
// Stop, and the marks, the score, the level's song and the saved record; again with one bar
// faulty.
#include "writtenscenario.h"

#include "common/basic.h"
#include "student/lessons/exerciseflow.h"

#include "common/helpwindow.h"

#include <QFile>
#include <QTimer>

namespace shell {
namespace {

using lessons::getInt;
using testing::Symbol;
using testing::WrittenLessonTest;

class WrittenLessons : public WrittenLessonTest {
protected:
    // Lesson 2 at its first level, in F major: three-four over two bars.
    void startMelody() {
        annAtTheList({});
        start(2, {0.0}, 11);
        ASSERT_EQ(state().CurrentLesson, 2);
        ASSERT_EQ(getInt(a().ChordSymbol[1], "KeyScale"), -1);
        ASSERT_EQ(a().StaffLines.ubound(), 3);
    }
    // Lesson 4 at level 5, three-four over four bars, a rhythm with a dotted value, beams,
    // quarters and closing rests.
    void startRhythm() {
        annAtTheList({"lesson4=L6S80M5Q3"});
        start(4, {0.0}, 5);
        ASSERT_EQ(state().CurrentLesson, 4);
        ASSERT_EQ(getInt(a().tmMeter[1], "Pulses"), 2);
        ASSERT_EQ(a().StaffLines.ubound(), 5);
    }
};

// The lesson's help page says where the key's name stands: where it is drawn, below the staff.
TEST_F(WrittenLessons, MelodyHelpSaysWhereTheKeyNameStands) {
    startMelody();
    QWidget* name = a().ChordSymbol[1];
    ASSERT_TRUE(name->isVisible());
    for (int s = 1; s <= a().StaffLines.ubound(); ++s)
        EXPECT_GE(a().ChordSymbol.Top(1), a().StaffLines.Top(s) + a().StaffLines.Height(s)) << s;

    frm->showHelp(2);
    ASSERT_NE(common::HelpWindow::current(), nullptr);
    QFile page(common::HelpWindow::current()->shownFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
    const QString text = QString::fromUtf8(page.readAll()).simplified();
    EXPECT_TRUE(text.contains("the name of the key stands below it")) << text.toStdString();
    EXPECT_FALSE(text.contains("stands above")) << text.toStdString();
}

TEST_F(WrittenLessons, AMelodyHeardWrittenAndMarked) {
    platform::VirtualClock clock(50000);
    platform::ClockOverride clockGuard(&clock);
    startMelody();
    EXPECT_TRUE(messageTexts().contains("Test Mode: Starting lesson 2 exercise 1"));
    EXPECT_TRUE(frm->Timer1->isActive());
    for (const char* p : {"frmFloatingNotes", "frmFloatingRests", "frmFloatingAccidentals", "frmFloatingMisc"})
        EXPECT_TRUE(frm->paletteWindows().isVisible(p)) << p;

    // The speaker: the tonic arpeggio, then the melody at the key; a fourth hearing is refused.
    const auto& melody = state().items.NoteTable;
    ASSERT_EQ(melody.size(), 4u);
    const size_t from = midi_.messages().size();
    a().cmdSpeaker[1]->click();
    QStringList melodyKeys, heardKeys;
    for (const lessons::TimedNote& n : melody) melodyKeys << QString::number(60 + 5 + n.pitch);
    const auto m = midi_.messages();
    for (size_t i = from; i < m.size(); ++i) {
        const auto bytes = platform::shortMessageBytes(m[i].message);
        if ((bytes[0] & 0xF0) == 0x90 && (bytes[0] & 0x0F) == 0 && bytes[2] > 0) heardKeys << QString::number(bytes[1]);
    }
    ASSERT_GT(heardKeys.size(), melodyKeys.size());
    EXPECT_EQ(heardKeys.mid(heardKeys.size() - melodyKeys.size()), melodyKeys);
    EXPECT_EQ(heardKeys.first(), "65");   // the arpeggio starts on the tonic
    a().cmdSpeaker[1]->click();
    a().cmdSpeaker[1]->click();
    dialogs_.shown.clear();
    a().cmdSpeaker[1]->click();
    EXPECT_EQ(messageTexts(), QStringList{"Sorry!: Melody played 3 times already."});

    // Key signature, the notes, the closing rests.
    writeKeySignature();
    const std::vector<Symbol> answer = heardAsWritten(true);
    writeSymbols(answer, true);
    frm->cmdStop->click();

    EXPECT_EQ(marksOnStaff(2), all(3, "black"));
    EXPECT_EQ(marksOnStaff(3), all(3, "black"));
    EXPECT_EQ(markOf(a().KeySign[1]), "black");
    EXPECT_EQ(markOf(a().tmMeter[1]), "black");
    EXPECT_EQ(frm->lblScore->text(), "100%");
    EXPECT_TRUE(songs_.calls.join(",").contains("done.mid")) << songs_.calls.join(",").toStdString();
    EXPECT_TRUE(profileText().contains("\r\nlesson2=L3S100M1Q1\r\n")) << profileText().toStdString();
    EXPECT_TRUE(frm->cmdGo->isEnabled());
}

TEST_F(WrittenLessons, AMelodyWithItsLastBarShortOfARest) {
    startMelody();
    writeKeySignature();
    std::vector<Symbol> answer = heardAsWritten(true);
    ASSERT_TRUE(answer.back().rest);
    answer.pop_back();
    writeSymbols(answer, true);
    frm->cmdStop->click();

    // Five for the bar, five for the unfinished music: only the last bar and the time
    // signature are red.
    EXPECT_EQ(marksOnStaff(2), all(3, "black"));
    EXPECT_EQ(marksOnStaff(3), all(2, "red: Incorrect note value."));
    EXPECT_EQ(markOf(a().tmMeter[1]), "red: Missing Rhythms");
    EXPECT_EQ(markOf(a().KeySign[1]), "black");
    EXPECT_EQ(frm->lblScore->text(), "90%");
    EXPECT_TRUE(profileText().contains("\r\nlesson2=L3S90M1Q1\r\n")) << profileText().toStdString();
}

TEST_F(WrittenLessons, ARhythmHeardWrittenAndMarked) {
    platform::VirtualClock clock(50000);
    platform::ClockOverride clockGuard(&clock);
    startRhythm();
    // The count-in, then the rhythm on the percussion channel.
    const size_t from = midi_.messages().size();
    a().cmdSpeaker[1]->click();
    int drums = 0;
    const auto m = midi_.messages();
    for (size_t i = from; i < m.size(); ++i) {
        const auto bytes = platform::shortMessageBytes(m[i].message);
        if (bytes[0] == 0x99 && bytes[1] == 38 && bytes[2] > 0) ++drums;
    }
    EXPECT_EQ(drums, 13);

    const std::vector<Symbol> answer = heardAsWritten(false);
    // The rhythm asks for a dot, a beam and closing rests.
    EXPECT_TRUE(std::any_of(answer.begin(), answer.end(), [](const Symbol& s) { return s.ms == 750 || s.ms == 1500; }));
    EXPECT_TRUE(std::any_of(answer.begin(), answer.end(), [](const Symbol& s) { return s.beam != 0; }));
    EXPECT_TRUE(answer.back().rest);
    writeSymbols(answer, false);
    frm->cmdStop->click();

    for (int staff = 2; staff <= 5; ++staff)
        for (const QString& mark : marksOnStaff(staff)) EXPECT_TRUE(mark == "black" || mark == "beam black") << staff;
    EXPECT_EQ(markOf(a().tmMeter[1]), "black");
    EXPECT_EQ(frm->lblScore->text(), "100%");
    EXPECT_TRUE(songs_.calls.join(",").contains("done.mid"));
    EXPECT_TRUE(profileText().contains("\r\nlesson4=L7S85M5Q4\r\n")) << profileText().toStdString();
}

TEST_F(WrittenLessons, ARhythmWithOneBarFaulty) {
    startRhythm();
    std::vector<Symbol> answer = heardAsWritten(false);
    // A quarter of the second bar written as a quarter rest: the bar still adds up, but a rest
    // answers no heard note.
    auto quarter = std::find_if(answer.begin(), answer.end(),
                                [](const Symbol& s) { return s.staff == 3 && !s.rest && s.ms == 1000; });
    ASSERT_NE(quarter, answer.end());
    quarter->rest = true;
    writeSymbols(answer, false);
    frm->cmdStop->click();

    for (int staff : {2, 4, 5})
        for (const QString& mark : marksOnStaff(staff)) EXPECT_TRUE(mark == "black" || mark == "beam black") << staff;
    int red = 0;
    for (const QString& mark : marksOnStaff(3)) {
        if (mark == "red: Incorrect Note Value") ++red;
        else EXPECT_TRUE(mark == "black" || mark == "beam black") << qPrintable(mark);
    }
    EXPECT_EQ(red, 1);
    EXPECT_EQ(markOf(a().tmMeter[1]), "black");
    // The note's share is lost: twelve of thirteen.
    EXPECT_EQ(frm->lblScore->text(), "93%");
}

} // namespace
} // namespace shell
