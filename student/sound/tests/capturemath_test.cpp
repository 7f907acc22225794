#include "student/sound/capturemath.h"

#include <Qt>
#include <gtest/gtest.h>

using namespace sound;

TEST(PianoKeys, NoteFromPianoAcrossTheKeyboard) {
    struct Case { int key; qint32 spelling; qint16 step; };
    const Case cases[] = {
        {0, 0, 19},  {1, 0, 18},  {1, 1, 19},  {2, 0, 18},  {4, 1, 17},  {5, 0, 16},  {6, 0, 15},
        {6, 2, 16},  {10, 0, 13}, {10, 1, 14}, {11, 0, 13}, {12, 0, 12}, {13, 0, 11}, {13, 7, 12},
        {17, 0, 9},  {24, 0, 5},  {30, -7, 1}, {30, 1, 2},  {32, 0, 0},  {32, 1, 1},  {33, 0, 0},
        {34, 0, -1}, {34, 1, 0},  {35, 0, -1}, {36, 0, -2},
        {37, 0, 0},  {37, 1, 0},  {-1, 1, 0},  {200, 0, 0},   // outside the keyboard
    };
    for (const Case& c : cases)
        EXPECT_EQ(NoteFromPiano(c.key, c.spelling), c.step) << "key " << c.key << " spelling " << c.spelling;
    EXPECT_EQ(stepTop(NoteFromPiano(17, 0)), 975);   // the drum's fixed line
}

TEST(PianoKeys, AccidentalOfAPlayedKey) {
    struct Case { int key; qint32 spelling; qint16 accidental; };
    const Case cases[] = {
        {1, 1, 1}, {1, 0, 2}, {1, -3, 2}, {3, 2, 1}, {34, 1, 1}, {34, 0, 2},
        {0, 1, 0}, {12, 0, 0}, {35, 1, 0}, {36, 0, 0}, {37, 1, 0}, {-1, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AccidentalFromPiano(c.key, c.spelling), c.accidental) << "key " << c.key;
}

TEST(PianoKeys, ComputerKeyboardCodes) {
    // The Part's map, then the Qt keys that reach it (shifted characters alike).
    const int codes[] = {90, 83, 88, 68, 67, 86, 71, 66, 72, 78, 74, 77, 188, 76, 190, 186, 191};
    for (int k = 0; k < 17; ++k) EXPECT_EQ(KeyCodeToNote(codes[k]), k) << codes[k];
    for (int code : {81, 65, 0, 187, 189, 192, -100, 300}) EXPECT_EQ(KeyCodeToNote(code), kNoKey) << code;

    struct Case { int qtKey; int code; };
    const Case keys[] = {
        {Qt::Key_Z, 90},      {Qt::Key_A, 65},       {Qt::Key_Q, 81},        {Qt::Key_M, 77},
        {Qt::Key_Comma, 188}, {Qt::Key_Less, 188},   {Qt::Key_Period, 190},  {Qt::Key_Greater, 190},
        {Qt::Key_Semicolon, 186}, {Qt::Key_Colon, 186}, {Qt::Key_Slash, 191}, {Qt::Key_Question, 191},
        {Qt::Key_1, 0},       {Qt::Key_Space, 0},    {Qt::Key_Shift, 0},     {Qt::Key_Backslash, 0},
    };
    for (const Case& c : keys) EXPECT_EQ(keyCodeForQtKey(c.qtKey), c.code) << c.qtKey;
    EXPECT_EQ(KeyCodeToNote(keyCodeForQtKey(Qt::Key_Question)), 16);   // "?" plays E4 like "/"
}

TEST(Metronome, TickIntervalsFromTheSlider) {
    struct Case { int value; int interval; };
    const Case cases[] = {{40, 291}, {60, 250}, {61, 247}, {90, 187}, {100, 166}, {119, 127}, {120, 125},
                          {-60, 250}, {180, 0}};
    for (const Case& c : cases) EXPECT_EQ(metronomeInterval(c.value), c.interval) << c.value;
    EXPECT_EQ(metronomeInterval(kSliderDesign), kDesignInterval);
}

TEST(Ladder, PlayedLengthsAgainstTheMeasuredBeat) {
    // Slider 60 and a quarter-note beat of 1000 ms: the steps take D below 360, 720, 880,
    // 1340, 1700, 2460, 3120 and 4580 ms; longer notes are quarters.
    struct Case { qint64 d; int slider; qint64 period; qint32 beatTicks; qint32 ticks; int button; int dots; };
    const Case cases[] = {
        {359, 60, 1000, 2048, 512, 7, 0},   {360, 60, 1000, 2048, 1024, 6, 0},
        {400, 60, 1000, 2048, 1024, 6, 0},  {719, 60, 1000, 2048, 1024, 6, 0},
        {720, 60, 1000, 2048, 1536, 6, 1},  {879, 60, 1000, 2048, 1536, 6, 1},
        {880, 60, 1000, 2048, 2048, 5, 0},  {1000, 60, 1000, 2048, 2048, 5, 0},
        {1339, 60, 1000, 2048, 2048, 5, 0}, {1340, 60, 1000, 2048, 3072, 5, 1},
        {1699, 60, 1000, 2048, 3072, 5, 1}, {1700, 60, 1000, 2048, 4096, 4, 0},
        {2459, 60, 1000, 2048, 4096, 4, 0}, {2460, 60, 1000, 2048, 6144, 4, 1},
        {3119, 60, 1000, 2048, 6144, 4, 1}, {3120, 60, 1000, 2048, 8192, 3, 0},
        {4579, 60, 1000, 2048, 8192, 3, 0}, {4580, 60, 1000, 2048, 2048, 5, 0},
        {5000, 60, 1000, 2048, 2048, 5, 0},
        // Slider 120 has no tolerance: 500 ms beats, the eighth below 300.
        {299, 120, 500, 2048, 1024, 6, 0},  {300, 120, 500, 2048, 1536, 6, 1},
        // Beat not measured yet: every threshold 0, so the first step whose tolerance brings
        // D under 100 wins, and only D of 580 or more (slider 60) is a quarter.
        {159, 60, 0, 2048, 512, 7, 0},      {160, 60, 0, 2048, 1024, 6, 0},
        {579, 60, 0, 2048, 8192, 3, 0},     {580, 60, 0, 2048, 2048, 5, 0},
        {0, 60, 0, 2048, 512, 7, 0},
        // 6/8 (dotted-quarter beat, 3072 ticks) at 1500 ms: the eighth is a third of the beat.
        {500, 60, 1500, 3072, 1024, 6, 0},  {1000, 60, 1500, 3072, 2048, 5, 0},
        {1500, 60, 1500, 3072, 3072, 5, 1}, {2100, 60, 1500, 3072, 4096, 4, 0},
        // A half-note beat (2/2) at 1000 ms halves every threshold.
        {1000, 60, 1000, 4096, 4096, 4, 0},
    };
    for (const Case& c : cases) {
        const NoteChoice n = classifyLength(c.d, c.slider, c.period, c.beatTicks);
        EXPECT_EQ(n.ticks, c.ticks) << "D " << c.d << " slider " << c.slider << " beat " << c.period;
        EXPECT_EQ(n.button, c.button) << "D " << c.d;
        EXPECT_EQ(n.dots, c.dots) << "D " << c.d;
    }
}

TEST(Ladder, TiedPartsHaveButtonsOnlyForTableLengths) {
    struct Case { qint32 ticks; int button; int dots; };
    const Case cases[] = {{512, 7, 0}, {1024, 6, 0}, {1536, 6, 1}, {2048, 5, 0},
                          {3072, 5, 1}, {4096, 4, 0}, {6144, 4, 1}, {8192, 3, 0}};
    for (const Case& c : cases) {
        const auto n = choiceForLength(c.ticks);
        ASSERT_TRUE(n) << c.ticks;
        EXPECT_EQ(n->button, c.button);
        EXPECT_EQ(n->dots, c.dots);
    }
    for (qint32 ticks : {0, 256, 2560, 5120, 1000, -512, 16384}) EXPECT_FALSE(choiceForLength(ticks)) << ticks;
}

TEST(Bars, ArithmeticOfTheWrittenMusic) {
    struct Case { qint32 sum; double beatTicks; int bpb; bool ok; double beats; qint32 bar; qint16 barTicks; };
    const Case cases[] = {
        {0, 2048, 4, true, 0, 0, 8192},         {6144, 2048, 4, true, 3, 0, 8192},
        {8192, 2048, 4, true, 4, 1, 8192},      {9216, 2048, 3, true, 4.5, 1, 6144},
        {4608, 3072, 2, true, 1.5, 0, 6144},    {24576, 6144, 4, true, 4, 1, 24576},   // 12/8
        {0, 2048, 0, false, 0, 0, 0},           // no beats per bar
        {0, 0, 4, false, 0, 0, 0},              // no beat
        {0, 8192, 4, false, 0, 0, 0},           // 4/1: a bar of 32768 ticks
        {0, 12288, 4, false, 0, 0, 0},          // 12/2
        {0, 40000, 1, false, 0, 0, 0},          // a beat past 16 bits
    };
    for (const Case& c : cases) {
        const auto m = barMath(c.sum, c.beatTicks, c.bpb);
        ASSERT_EQ(bool(m), c.ok) << c.sum << " " << c.beatTicks << " " << c.bpb;
        if (!m) continue;
        EXPECT_DOUBLE_EQ(m->beats, c.beats);
        EXPECT_EQ(m->bar, c.bar);
        EXPECT_EQ(m->barTicks, c.barTicks);
    }
}

TEST(Bars, SplitAtTheBarLine) {
    struct Case { qint32 sum; double beatTicks; int bpb; qint32 length; bool crosses; qint32 first; qint32 rest; };
    const Case cases[] = {
        {6144, 2048, 4, 4096, true, 2048, 2048},    // three quarters, then a half: tied over
        {6144, 2048, 4, 2048, false, 2048, 0},      // ends on the bar line
        {7168, 2048, 4, 3072, true, 1024, 2048},    // a dotted quarter from the last eighth
        {0, 2048, 4, 8192, false, 8192, 0},         // a whole bar
        {4096, 2048, 3, 4096, true, 2048, 2048},    // 3/4
        {4608, 3072, 2, 2048, true, 1536, 512},     // 6/8: a quarter from the last sixteenth
        {8192, 2048, 4, 1024, false, 1024, 1024},   // inside bar 2
        {7680, 2048, 4, 4096, true, 512, 3584},     // the rest has no single note value
    };
    for (const Case& c : cases) {
        const auto m = barMath(c.sum, c.beatTicks, c.bpb);
        ASSERT_TRUE(m);
        const BarSplit s = splitAtBarLine(*m, c.length);
        EXPECT_EQ(s.crosses, c.crosses) << c.sum << " + " << c.length;
        if (s.crosses) {
            EXPECT_EQ(s.first, c.first);
            EXPECT_EQ(s.rest, c.rest);
            EXPECT_EQ(choiceForLength(s.rest).has_value(), c.rest != 3584);
        }
    }
}

TEST(Selection, TailPlans) {
    struct Case {
        qint32 sum; qint32 length; std::optional<qint32> last; TailForm form;
        bool deselect, split, beam;
    };
    const Case cases[] = {
        // First press of a phrase (length 0) on the beat: a new group, nothing to beam yet.
        {0, 0, std::nullopt, TailForm::Press, true, false, false},
        // Second eighth completes the beat: beam in both forms.
        {1024, 1024, 1024, TailForm::Press, false, false, true},
        {1024, 1024, 1024, TailForm::Timer, false, false, true},
        // An eighth on the beat starts a group; it completes nothing.
        {2048, 1024, 1024, TailForm::Press, true, false, false},
        // A quarter: the press form beams (a lone note is not beamed: one selected), the timer
        // form only on a completed beat.
        {1024, 2048, 2048, TailForm::Press, true, false, true},
        {1536, 2048, 2048, TailForm::Timer, true, false, false},
        // Three quarters and a half: split at the bar line.
        {6144, 4096, 2048, TailForm::Press, true, true, true},
        // Dotted eighth then sixteenth completes the beat.
        {1536, 512, 512, TailForm::Press, false, false, true},
        // Sum 0 never beams in the timer form.
        {0, 2048, 2048, TailForm::Timer, true, false, false},
    };
    for (const Case& c : cases) {
        const auto m = barMath(c.sum, 2048, 4);
        ASSERT_TRUE(m);
        const TailPlan p = planSelectionTail(*m, c.length, c.last, c.form);
        EXPECT_EQ(p.deselectAll, c.deselect) << c.sum << " + " << c.length;
        EXPECT_EQ(p.split, c.split) << c.sum << " + " << c.length;
        EXPECT_EQ(p.beam, c.beam) << c.sum << " + " << c.length;
    }
}

TEST(Selection, StemOfABeamedGroup) {
    // h = Int(top / 75) x 75 - 150 replaces the reference when its size is above the reference
    // as it stands (signed): a negative reference gives way to any later note.
    struct Case { std::vector<double> tops; int stem; };
    const Case cases[] = {
        {{975, 975}, -1},      // the drum's line: h = 825, stems up
        {{150, 150}, 0},       // h = 0 never replaces 0: down
        {{0, 0}, 0},           // -150 is taken and stays: down
        {{975, 0}, -1},        // 825 stays (150 is not above it)
        {{0, 975}, -1},        // -150, then 825
        {{0, 225}, -1},        // -150, then 75 (above -150): up
        {{225, 0}, 0},         // 75, then -150 (size 150 above 75): down
        {{1500, 0, 225}, -1},
        {{}, 0},
    };
    for (const Case& c : cases) {
        std::string tops;
        for (double t : c.tops) tops += std::to_string(int(t)) + " ";
        EXPECT_EQ(groupStemDirection(c.tops), c.stem) << tops;
    }
}
