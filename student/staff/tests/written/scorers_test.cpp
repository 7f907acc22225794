// The markers of the written lessons on answers written on the real arrays: per case the score,
// and every element left red with its tool tip.
#include "writtenfixture.h"

#include "student/lessons/written/writtenscorers.h"

#include <gtest/gtest.h>
#include <functional>

namespace lessons::testing {
namespace {

using Marks = QMap<QString, QString>;
namespace fault = written::fault;

struct ScoreCase {
    const char* name;
    std::function<void(WrittenFixture&)> answer;
    double score;
    Marks marks;
};

Marks range(const char* kind, int from, int to, const QString& tip) {
    Marks m;
    for (int i = from; i <= to; ++i) m[QString("%1%2").arg(kind).arg(i)] = tip;
    return m;
}
Marks operator+(Marks a, const Marks& b) {
    for (auto it = b.begin(); it != b.end(); ++it) a[it.key()] = it.value();
    return a;
}

std::string describe(const Marks& m) {
    QStringList parts;
    for (auto it = m.begin(); it != m.end(); ++it) parts << it.key() + ": " + it.value();
    return parts.join("; ").toStdString();
}

void runCases(const std::vector<ScoreCase>& cases) {
    for (const ScoreCase& c : cases) {
        SCOPED_TRACE(c.name);
        WrittenFixture f;
        c.answer(f);
        EXPECT_EQ(f.mark(), c.score);
        EXPECT_EQ(describe(f.marks()), describe(c.marks));
    }
}

// ---- Lesson 2 -----------------------------------------------------------------------------
// Three-four in F major (level 1): F G | A B flat (beamed eighths), C | A dotted, G, and a
// closing quarter rest. Steps: F 1, G 2, A 3, B 4, C 5 on the treble staff.
void melodyLesson(WrittenFixture& f) {
    f.build(2, 2);
    f.heard({{0, 500}, {2, 500}, {4, 500}, {5, 500}, {7, 1000}, {4, 1500}, {2, 500}});
}
void flatSignature(WrittenFixture& f) { f.keyAccidental(0, 2, 4); }
void melody(WrittenFixture& f, const char* bar1 = "[e1 e2] [e3 e4] q5", const char* bar2 = "q.3 e2 rq") {
    melodyLesson(f);
    flatSignature(f);
    f.write(2, bar1);
    f.write(3, bar2);
}

TEST(MelodyScorer, Cases) {
    const QString pitch = fault::Pitch, value = fault::NoteValue, bar = fault::NoteValueBar;
    runCases({
        {"right, with the one-flat signature", [](WrittenFixture& f) { melody(f); }, 100, {}},
        {"wrong pitch", [](WrittenFixture& f) { melody(f, "[e1 e2] [e3 e4] q6"); }, 86, {{"n5", pitch}}},
        {"an octave up throughout",
         [](WrittenFixture& f) { melody(f, "[e8 e9] [e10 e11] q12", "q.10 e9 rq"); }, 100, {}},
        {"wrong value", [](WrittenFixture& f) { melody(f, "[e1 e2] [e3 e4] q5", "q3 q2 rq"); }, 86,
         {{"n6", value}}},
        {"last value wrong: full marks",
         [](WrittenFixture& f) { melody(f, "[e1 e2] [e3 e4] q5", "q.3 s2 rs rq"); }, 100, {}},
        {"wrong beaming: one beam over two beats",
         [](WrittenFixture& f) { melody(f, "[e1 e2 e3 e4] q5"); }, 86, {{"b1", fault::Beaming}}},
        {"two flagged eighths in a beat", [](WrittenFixture& f) { melody(f, "e1 e2 [e3 e4] q5"); }, 86,
         {{"n2", fault::BeamingOfNotes}}},
        {"missing rest", [](WrittenFixture& f) { melody(f, "[e1 e2] [e3 e4] q5", "q.3 e2"); }, 90,
         {{"n6", bar}, {"n7", bar}, {"m", fault::MissingRhythms}}},
        {"wrong key signature: a sharp",
         [](WrittenFixture& f) {
             melodyLesson(f);
             f.keyAccidental(0, 1, 0);
             f.write(2, "[e1 e2] [e3 e4] q5");
             f.write(3, "q.3 e2 rq");
         },
         76, {{"k1", fault::KeySignature}, {"n4", pitch}}},
        {"the flat on the wrong line",
         [](WrittenFixture& f) {
             melodyLesson(f);
             f.keyAccidental(0, 2, 3);
             f.write(2, "[e1 e2] [e3 e4] q5");
             f.write(3, "q.3 e2 rq");
         },
         76, {{"k1", fault::KeySignature}, {"n4", pitch}}},
        {"a signature slot that names no accidental",
         [](WrittenFixture& f) {
             melodyLesson(f);
             f.keyAccidental(1, 2, 4);
             f.write(2, "[e1 e2] [e3 e4] q5");
             f.write(3, "q.3 e2 rq");
         },
         76, {{"k1", fault::KeySignature}, {"n4", pitch}}},
        {"no signature, the B's own flat",
         [](WrittenFixture& f) {
             melodyLesson(f);
             f.write(2, "[e1 e2] [e3 e4b] q5");
             f.write(3, "q.3 e2 rq");
         },
         100, {}},
        {"no signature, no flat",
         [](WrittenFixture& f) {
             melodyLesson(f);
             f.write(2, "[e1 e2] [e3 e4] q5");
             f.write(3, "q.3 e2 rq");
         },
         86, {{"n4", pitch}}},
        {"empty staff", [](WrittenFixture& f) { melodyLesson(f); }, 0, {}},
        {"rests for notes", [](WrittenFixture& f) { melody(f, "re re re re rq", "rq. re rq"); }, 0,
         range("n", 1, 7, value)},
        {"quarter and a held half ending three-four",
         [](WrittenFixture& f) {
             f.build(2, 2);
             f.heard({{0, 1000}, {2, 1000}, {4, 1000}, {5, 1000}, {4, 1000}});
             flatSignature(f);
             f.write(2, "q1 q2 q3");
             f.write(3, "q4 h3");
         },
         100, {}},
        {"quarter and a half from beat two to four in four-four",
         [](WrittenFixture& f) {
             f.build(2, 3);
             f.heard({{0, 1000}, {2, 1000}, {4, 1000}, {5, 1000}, {4, 1000}, {2, 1000}, {0, 1000}});
             flatSignature(f);
             f.write(2, "q1 q2 q3 q4");
             f.write(3, "q3 h2 q1");
         },
         76, {{"n6", value}, {"m", fault::RhythmsBar}}},
        {"a note on no staff",
         [](WrittenFixture& f) {
             melody(f);
             f.arrays->NoteSymbol.setTag(5, "9");
         },
         81, range("n", 1, 4, bar) + Marks{{"n5", pitch}}},
        {"a metre with no pulses",
         [](WrittenFixture& f) {
             melody(f);
             put(f.arrays->tmMeter[1], "Pulses", 0);
         },
         57, range("n", 1, 8, bar) + range("b", 1, 2, fault::Beaming)},
        {"no melody",
         [](WrittenFixture& f) {
             melody(f);
             f.heard({});
         },
         0, range("n", 1, 7, fault::TooMany)},
        {"60 symbols",
         [](WrittenFixture& f) {
             melody(f);
             for (int i = 0; i < 52; ++i) f.write(3, "q1");
         },
         90, range("n", 6, 8, bar) + range("n", 9, 60, fault::TooMany) + Marks{{"m", fault::MissingRhythms}}},
    });
}

TEST(MelodyScorer, TheTopLevelAnswerScoresFull) {
    WrittenFixture f;
    writeTopLevelMelody(f);
    EXPECT_EQ(getInt(f.arrays->ChordSymbol[1], "KeyScale"), 2);
    EXPECT_EQ(f.mark(), 100);
    EXPECT_EQ(describe(f.marks()), "");
    // Marking again (Stop pressed twice) marks the same.
    EXPECT_EQ(f.mark(), 100);
    EXPECT_EQ(describe(f.marks()), "");
    WrittenFixture r;
    writeTopLevelRhythm(r);
    EXPECT_EQ(r.mark(), 100);
    EXPECT_EQ(describe(r.marks()), "");
}

TEST(MelodyScorer, KeySignatureChecks) {
    // Accidentals placed by clicks, by key and clef, against CheckKeySignature.
    struct Case {
        const char* name;
        int key;
        std::vector<std::pair<int, int>> written;   // (sign, row below the top line), slot by slot
        bool right;
    } cases[] = {
        {"C major, nothing", 0, {}, true},
        {"G major", 1, {{1, 0}}, true},
        {"D major", 2, {{1, 0}, {1, 3}}, true},
        {"A major", 3, {{1, 0}, {1, 3}, {1, -1}}, true},
        {"F major", -1, {{2, 4}}, true},
        {"B flat major", -2, {{2, 4}, {2, 1}}, true},
        {"E flat major", -3, {{2, 4}, {2, 1}, {2, 5}}, true},
        {"D major, one missing", 2, {{1, 0}}, false},
        {"G major, one too many", 1, {{1, 0}, {1, 3}}, false},
        {"D major, order swapped", 2, {{1, 3}, {1, 0}}, false},
        {"mixed signs", 2, {{1, 0}, {2, 3}}, false},
        {"flats for a sharp key", 1, {{2, 0}}, false},
        {"C major, a sharp", 0, {{1, 0}}, false},
        {"F sharp an octave low", 1, {{1, 7}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WrittenFixture f;
        f.build(2, 2);
        for (size_t k = 0; k < c.written.size(); ++k) f.keyAccidental(int(k), c.written[k].first, c.written[k].second);
        EXPECT_EQ(written::CheckKeySignature(*f.arrays, f.flags, 2, c.key, 1, -495, 1), c.right);
        EXPECT_EQ(written::keySignatureWritten(*f.arrays, f.flags, 2), !c.written.empty());
    }
}

// ---- Lesson 4 -----------------------------------------------------------------------------
// Two-four (level 1): quarter, two beamed eighths | beamed dotted eighth and sixteenth, two
// beamed eighths | quarter and a closing quarter rest.
void rhythmLesson(WrittenFixture& f) {
    f.build(4, 2, {0.5});
    f.heardRhythm({1000, 500, 500, 750, 250, 500, 500, 1000});
}
void rhythm(WrittenFixture& f, const char* bar1 = "q [e e]", const char* bar2 = "[e. s] [e e]",
            const char* bar3 = "q rq") {
    rhythmLesson(f);
    f.write(2, bar1);
    f.write(3, bar2);
    f.write(4, bar3);
}

TEST(RhythmScorer, Cases) {
    const QString value = fault::NoteValue, bar = fault::NoteValueBar;
    runCases({
        {"right", [](WrittenFixture& f) { rhythm(f); }, 100, {}},
        {"wrong values", [](WrittenFixture& f) { rhythm(f, "q [e e]", "[e e] [e e]"); }, 75,
         {{"n4", value}, {"n5", value}}},
        {"last value wrong: full marks", [](WrittenFixture& f) { rhythm(f, "q [e e]", "[e. s] [e e]", "h"); }, 100,
         {}},
        {"wrong beaming: one beam over two beats", [](WrittenFixture& f) { rhythm(f, "q [e e]", "[e. s e e]"); },
         88, {{"b2", fault::Beaming}}},
        {"two flagged eighths in a beat", [](WrittenFixture& f) { rhythm(f, "q e e"); }, 88,
         {{"n3", fault::BeamingOfNotes}}},
        {"missing rest", [](WrittenFixture& f) { rhythm(f, "q [e e]", "[e. s] [e e]", "q"); }, 90,
         {{"n8", bar}, {"m", fault::MissingRhythms}}},
        {"a quarter rest for a heard quarter", [](WrittenFixture& f) { rhythm(f, "rq [e e]"); }, 88,
         {{"n1", value}}},
        {"empty staff", [](WrittenFixture& f) { rhythmLesson(f); }, 0, {}},
        {"quarter and a held half ending three-four",
         [](WrittenFixture& f) {
             f.build(4, 2, {0.0});
             f.heardRhythm({1000, 500, 500, 1000, 1000, 1000});
             f.write(2, "q [e e] q");
             f.write(3, "q h");
         },
         100, {}},
        {"quarter and a half from beat two to four in four-four",
         [](WrittenFixture& f) {
             f.build(4, 2, {0.0});
             put(f.arrays->tmMeter[1], "Pulses", 3);
             f.heardRhythm({1000, 1000, 1000, 1000, 1000, 1000, 1000});
             f.write(2, "q q q q");
             f.write(3, "q h q");
         },
         76, {{"n6", value}, {"m", fault::RhythmsBar}}},
        {"a note on no staff",
         [](WrittenFixture& f) {
             rhythm(f);
             f.arrays->NoteSymbol.setTag(1, "9");
         },
         83, {{"n1", value}, {"n2", bar}, {"n3", bar}}},
        {"a metre with no pulses",
         [](WrittenFixture& f) {
             rhythm(f);
             put(f.arrays->tmMeter[1], "Pulses", 0);
         },
         43, range("n", 1, 9, bar) + range("b", 1, 3, fault::Beaming)},
        {"no rhythm",
         [](WrittenFixture& f) {
             rhythm(f);
             f.heardRhythm({});
         },
         0, range("n", 1, 8, fault::TooMany)},
        {"60 symbols",
         [](WrittenFixture& f) {
             rhythm(f);
             for (int i = 0; i < 51; ++i) f.write(4, "q");
         },
         90, range("n", 8, 9, bar) + range("n", 10, 60, fault::TooMany) + Marks{{"m", fault::MissingRhythms}}},
    });
}

// ---- The notation checks ------------------------------------------------------------------

TEST(NotationChecks, BarGroups) {
    WrittenFixture f;
    f.build(2, 3);   // four-four
    const auto chord = f.write(2, "q1 q3");
    // A chord: the second note sits where the first does, with its value.
    f.arrays->NoteSymbol.setLeft(chord[1], f.arrays->NoteSymbol.Left(chord[0]));
    put(f.arrays->NoteSymbol[chord[1]], "RhythmicOffset", 2048);
    f.write(2, "q2 h4");
    // Quarter, quarter (a chord counted once), quarter, half: one bar of four-four.
    EXPECT_TRUE(written::CheckNoteValues(*f.arrays, f.flags, 2, 3, 2));
    EXPECT_TRUE(written::CheckRhythmOffsets(*f.arrays, f.flags, 2, 3, 2));
    EXPECT_TRUE(written::CollectRhythmPositions(*f.arrays, f.flags, 1, 3, 2));
    // Hidden notes are left out of the visible-note members only.
    f.arrays->NoteSymbol.setVisible(4, false);
    EXPECT_TRUE(written::CheckNoteValues(*f.arrays, f.flags, 2, 3, 2));
    EXPECT_FALSE(written::CheckRhythmOffsets(*f.arrays, f.flags, 2, 3, 2));
    EXPECT_FALSE(written::CollectRhythmPositions(*f.arrays, f.flags, 1, 3, 2));
    // The colour-only members leave the tool tips alone.
    EXPECT_EQ(f.arrays->NoteSymbol[1]->toolTip(), QString());
    EXPECT_EQ(music::dispGet(f.arrays->NoteSymbol[1], "ForeColor").toUInt(), 255u);
    // A bar beyond the bar lines holds nothing.
    EXPECT_FALSE(written::CollectRhythmPositions(*f.arrays, f.flags, 5, 3, 2));
    // Four whole notes on one staff: ticks beyond 16 bits are summed whole.
    WrittenFixture g;
    g.build(2, 3);
    g.write(2, "w w w w");
    EXPECT_FALSE(written::CheckNoteValues(*g.arrays, g.flags, 2, 3, 2));
    EXPECT_TRUE(written::CheckNoteValues(*g.arrays, g.flags, 2, 3, 0));   // four-one
}

TEST(NotationChecks, RestRules) {
    using written::Metre;
    const Metre fourFour{3, 2}, threeFour{2, 2}, twoFour{1, 2}, sixEight{4, 3}, threeEight{2, 3};
    const struct {
        const char* name;
        Metre m;
        qint32 inBeat, value, previous;
        bool wrong;
    } cases[] = {
        {"4/4 sixteenth after a dotted eighth", fourFour, 1536, 512, 0, false},
        {"4/4 eighth after a dotted eighth", fourFour, 1536, 1024, 0, true},
        {"4/4 eighth on the off-beat", fourFour, 1024, 1024, 0, false},
        {"4/4 quarter on the off-beat", fourFour, 1024, 2048, 0, true},
        {"4/4 half on the beat", fourFour, 0, 4096, 0, false},
        {"4/4 two eighth rests ending a beat", fourFour, 1024, 1024, 1024, true},
        {"3/4 half rest", threeFour, 0, 4096, 0, true},
        {"3/4 two eighth rests ending a beat", threeFour, 1024, 1024, 1024, false},
        {"2/4 two sixteenth rests ending a beat", twoFour, 1536, 512, 512, true},
        {"3/8 quarter rest", threeEight, 0, 2048, 0, true},
        {"6/8 eighth after an eighth", sixEight, 1024, 1024, 0, false},
        {"6/8 quarter after an eighth", sixEight, 1024, 2048, 0, true},
        {"6/8 sixteenth off the grid", sixEight, 512, 512, 0, false},
        {"6/8 eighth off the grid", sixEight, 512, 1024, 0, true},
        {"6/8 dotted quarter on the beat", sixEight, 0, 3072, 0, false},
        {"6/8 half on the beat", sixEight, 0, 4096, 0, true},
        {"6/8 eighth on the third eighth", sixEight, 2048, 1024, 0, false},
        {"6/8 quarter on the third eighth", sixEight, 2048, 2048, 0, true},
    };
    for (const auto& c : cases) EXPECT_EQ(written::restIsWrong(c.inBeat, c.value, c.previous, c.m), c.wrong) << c.name;
}

TEST(NotationChecks, RestCheckMarksLaterRestsAndTheMetre) {
    WrittenFixture f;
    f.build(4, 2, {0.5});   // two-four, three bars
    // A half rest in the middle of a bar is wrong; every rest after it is marked too, and the
    // time signature at the next bar's end.
    f.write(2, "e rh re");
    f.write(3, "q rq");
    f.write(4, "h");
    EXPECT_FALSE(written::CalculateAddRest(*f.arrays, f.flags));
    EXPECT_EQ(describe(f.marks()), describe(Marks{{"n2", fault::RestValues}, {"n3", fault::RestValues}, {"n5", fault::RestValues},
                                {"m", fault::RhythmsBar}}));
}

} // namespace
} // namespace lessons::testing
