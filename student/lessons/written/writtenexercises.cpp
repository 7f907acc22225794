#include "writtenexercises.h"

#include "notationchecks.h"

#include "student/lessons/elementpool.h"
#include "student/lessons/exerciseflow.h"
#include "student/lessons/generators/beatgrid.h"
#include "student/lessons/generators/melodygenerator.h"
#include "student/lessons/generators/rhythmgenerator.h"
#include "student/lessons/musicmath.h"

#include "common/random.h"
#include "music/framework/dispatch.h"
#include "platform/dialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace lessons::written {
namespace {

constexpr int kLesson2 = 2, kLesson4 = 4;
constexpr int kLegerLines = 10;

// Templates as both lessons set them before loading anything.
void prepareTemplates(NotationArrays& a) {
    a.NoteSymbol.setWidth(0, 550);
    a.NoteSymbol.setHeight(0, 1760);
    put(a.NoteSymbol[0], "NoteLeft", 15);
    put(a.NoteSymbol[0], "AccidentalOffset", 0);
    put(a.KeySign[0], "KeyMode", 1);
    a.KeySign.Move(0, 750, 645, 945, 915);
    put(a.StaffLines[0], "LineWidth", 350);
    a.tmMeter.setTop(0, 815);
    a.BeamFlag.setHeight(0, 450);
}

// What both builders do before their own layout: the running set, the leger-line pool the
// editor's preview uses, the previous set unloaded, and the instruction.
void beginSet(LessonContext& ctx, int lesson, const QString& instruction) {
    NotationArrays& a = ctx.arrays;
    prepareTemplates(a);
    ctx.state.ExerciseRunning = true;
    if (a.lnLeger.ubound() == 0)
        for (int i = 1; i <= kLegerLines; ++i) a.lnLeger.load(i);
    UnloadLesson(lesson, a, ctx.LoadedFlags);
    if (!a.lblAs.load(1)) return;
    QLabel* as = a.lblAs[1];
    as->setText(instruction);
    // The label grows to its text, as an auto-sized label does (measured in the font it will
    // be drawn with).
    as->ensurePolished();
    const QSize fits = as->sizeHint();
    a.lblAs.setWidth(1, qMax(a.lblAs.Width(1), (fits.width() + 2) * common::kTwipsPerPixel));
    a.lblAs.setHeight(1, qMax(a.lblAs.Height(1), (fits.height() + 2) * common::kTwipsPerPixel));
}

void loadSpeaker(LessonContext& ctx) {
    NotationArrays& a = ctx.arrays;
    ctx.state.ItemPlayCount[1] = 0;
    a.cmdSpeaker.load(1);
    // At the lesson area's top left, in line with the staves' left edge: a button flush with
    // the window's edge loses its own edge to the window's border.
    a.cmdSpeaker.Move(1, a.StaffLines.Left(0), a.cmdSpeaker.Top(0) - 2000);
    a.cmdSpeaker.setVisible(1, true);
}

void loadMetre(LessonContext& ctx, const WrittenMetre& metre, double leftOffset) {
    NotationArrays& a = ctx.arrays;
    a.tmMeter.load(1);
    a.tmMeter.ZOrder(1);
    a.tmMeter.Move(1, a.StaffLines.Left(1) + leftOffset, a.StaffLines.Top(1) + 350);
    put(a.tmMeter[1], "Pulses", metre.pulses);
    put(a.tmMeter[1], "NoteValue", metre.unit);
    a.tmMeter.setVisible(1, true);
    ctx.LoadedFlags.set(ColMetre, 1, true);
    a.tmMeter.setTag(1, QStringLiteral("2"));
}

// The end of every build: in test mode the announcement and the countdown; then the score
// frame for a new set and the menus.
void finishSet(LessonContext& ctx, int lesson) {
    ExerciseState& s = ctx.state;
    ctx.playedInput->RestartCapture();
    if (!ctx.window.practiceMode()) announceTestSet(ctx, s.CurrentLesson == lesson);
    s.ExerciseScore = 0;
    if (ctx.frame.lblScore) ctx.frame.lblScore->setText(QStringLiteral("%1%").arg(s.ExerciseScore));
    if (ctx.frame.cmdGo) ctx.frame.cmdGo->setEnabled(false);
    if (ctx.frame.lblLevel) ctx.frame.lblLevel->setText(QString::number(s.CurrentLevel - 1));
    ctx.window.UpdateMenu();
}

// A choice of one of n cases.
int draw(common::Random& random, int n) { return random.choose(n); }

// The exercise's notes 1..n of a generated table, as playback and the markers read them.
std::vector<TimedNote> heardNotes(const NoteTable& table, int n) {
    std::vector<TimedNote> notes;
    for (int i = 1; i <= n; ++i) notes.push_back({qint16(table.pitch(i)), qint16(table.duration(i))});
    return notes;
}

// A melody is drawn again while it breaks the generator's rules or overruns its bars (six-eight
// melodies mostly do): the bound leaves about one exercise in five billion unfinished at the
// worst level.
constexpr int kMelodyDraws = 100;

} // namespace

bool fitsBars(const NoteTable& table, int notes, int barCount, int pulses) {
    qint64 ms = 0;
    for (int i = 1; i <= notes; ++i) ms += table.duration(i);
    return ms <= qint64(barCount - 1) * beatsPerBar(pulses) * beatMs(pulses);
}

MelodyLevel melodyLevel(int currentLevel, common::Random& random) {
    const int level = qMax(currentLevel, 2);
    MelodyLevel m;
    switch (level) {
    case 2: m.metre = kThreeFour; break;
    case 3:
    case 8: m.metre = kFourFour; break;
    case 4:
    case 7: m.metre = draw(random, 2) == 0 ? kFourFour : kThreeFour; break;
    case 5:
    case 6:
    case 9:
    case 10: {
        const WrittenMetre choices[] = {kFourFour, kThreeFour, kTwoFour};
        m.metre = choices[draw(random, 3)];
        if (m.metre == kTwoFour && level != 10) m.barCount = 4;
        break;
    }
    case 11: {
        const WrittenMetre choices[] = {kFourFour, kThreeFour, kSixEight};
        m.metre = choices[draw(random, 3)];
        m.barCount = m.metre == kSixEight ? 3 : 4;
        break;
    }
    default: {
        const WrittenMetre choices[] = {kFourFour, kThreeFour, kTwoFour, kSixEight};
        m.metre = choices[draw(random, 4)];
        m.barCount = m.metre == kFourFour || m.metre == kThreeFour ? 4 : 5;
        break;
    }
    }
    struct Row { int notes, stepRange, maxLeap, startMask, shortest; bool allowRepeat; };
    // Levels 2..13; a shortest of 0 takes the metre's (eighths in six-eight, else sixteenths).
    static constexpr Row kRows[] = {
        {4, 3, 3, 1, 1000, true}, {5, 5, 3, 1, 1000, false}, {5, 5, 5, 1, 500, false},
        {6, 5, 5, 1, 500, false}, {7, 6, 5, 1, 500, false},  {9, 8, 5, 17, 500, false},
        {9, 8, 5, 21, 500, false}, {9, 8, 5, 21, 0, false},  {9, 8, 5, 21, 0, false},
        {9, 8, 5, 21, 0, false},  {10, 8, 5, 21, 0, false}, {11, 8, 5, 21, 0, false},
    };
    const Row& r = kRows[qMin(level, 13) - 2];
    m.notes = r.notes;
    m.stepRange = r.stepRange;
    m.maxLeap = r.maxLeap;
    m.startMask = r.startMask;
    m.shortest = r.shortest != 0 ? r.shortest : m.metre == kSixEight ? 500 : 250;
    m.allowRepeat = r.allowRepeat;
    return m;
}

int melodyKey(int currentLevel, common::Random& random) {
    const int level = qMax(currentLevel, 2);
    int n = 7, k = 3;
    if (level == 2) n = 3, k = 1;
    else if (level <= 6) n = 4, k = 1;
    else if (level <= 8) n = 5, k = 2;
    return draw(random, n) - k;
}

RhythmLevel rhythmLevel(int shownLevel, common::Random& random) {
    RhythmLevel r;
    switch (shownLevel) {
    case 1:
    case 2:
    case 3:
        r.metre = draw(random, 2) == 0 ? kThreeFour : kTwoFour;
        r.barCount = r.metre == kThreeFour ? 3 : 4;
        r.notes = 6 + shownLevel;
        r.shortest = 500;
        break;
    case 4:
        r.metre = draw(random, 2) == 0 ? kSixEight : kTwoFour;
        r.barCount = 4;
        r.notes = 10;
        r.shortest = r.metre == kSixEight ? 500 : 250;
        break;
    case 5:
        r.metre = draw(random, 2) == 0 ? kThreeFour : kSixEight;
        r.barCount = 5;
        r.notes = 13;
        r.shortest = r.metre == kSixEight ? 500 : 250;
        break;
    default: {
        const WrittenMetre choices[] = {kThreeFour, kTwoFour, kSixEight};
        r.metre = choices[draw(random, 3)];
        r.barCount = 5;
        r.notes = 13;
        r.shortest = r.metre == kSixEight ? 500 : 250;
        break;
    }
    }
    return r;
}

std::vector<TimedNote> writtenMelody(const MelodyLevel& level, common::Random& random, QWidget* owner) {
    MelodySpec spec;
    spec.noteCount = level.notes;
    spec.barCount = level.barCount;
    spec.maxLeap = level.maxLeap;
    spec.stepRange = level.stepRange;
    spec.allowRepeat = level.allowRepeat;
    spec.pulses = level.metre.pulses;
    spec.shortestDuration = level.shortest;
    spec.startMask = level.startMask;
    spec.cadenceOptions = cadence::VI;
    NoteTable table(level.notes);
    CadenceRecord cadenceRecord;
    bool whole = false;
    for (int d = 0; d < kMelodyDraws && !whole; ++d)
        whole = generateMelody(spec, table, cadenceRecord, random) &&
                fitsBars(table, level.notes, level.barCount, level.metre.pulses);
    // Only when no draw came out whole is the student told; the last draw stands.
    if (!whole)
        platform::Dialogs::instance().messageBox(QStringLiteral("Failed to create Melody!"), platform::Critical,
                                                 QStringLiteral("Fatal!"), owner);
    return heardNotes(table, level.notes);
}

std::vector<TimedNote> writtenRhythm(const RhythmLevel& level, common::Random& random) {
    RhythmSpec spec;
    spec.noteCount = level.notes;
    spec.barCount = level.barCount;
    spec.pulses = level.metre.pulses;
    spec.shortestDuration = level.shortest;
    NoteTable table(level.notes);
    CreateRhythm(spec, table, random);
    return heardNotes(table, level.notes);
}

void layBarStaves(LessonContext& ctx, int barCount, const WrittenMetre& metre, int clef, double clefTop,
                  int doubleAt) {
    NotationArrays& a = ctx.arrays;
    ElementArray& staves = a.StaffLines;
    const double left0 = staves.Left(0), top0 = staves.Top(0), width0 = staves.Width(0);
    const double wider = 200.0 * metre.widthFactor;
    for (int i = 1; i <= barCount; ++i) {
        staves.load(i);
        double left = left0 + ((i - 1) % 5) * 1800.0, width = width0;
        if (i == 1) width = 600;
        if (i == 2) left -= 1200, width += 1200;
        if (i >= 3) left += (i - 2) * wider;
        if (i >= 2) width += wider;
        staves.Move(i, left, top0 + ((i - 1) / 5) * 1360, width, i >= 6 ? 1995 : 1450);
        staves.setVisible(i, true);
        staves.ZOrder(i);
    }

    a.ClefSymbol.load(1);
    a.ClefSymbol.Move(1, staves.Left(1) + 60, clefTop);
    put(a.ClefSymbol[1], "Clef", clef);
    a.ClefSymbol.setVisible(1, true);
    a.ClefSymbol.ZOrder(1);
    ctx.LoadedFlags.set(ColClef, 1, true);

    ElementArray& bars = a.Bar;
    for (int i = 1; i <= barCount - 1; ++i) {
        bars.load(i);
        const int staff = i + 1;
        bars.Move(i, staves.Left(staff) + staves.Width(staff) - 75, bars.Top(0) + ((i - 1) / 13) * 2020.0);
        QWidget* bar = bars[i];
        if (doubleAt > 0 && i >= doubleAt && (i - doubleAt) % 5 == 0) {
            put(bar, "BarLineType", 1);
            bars.setWidth(i, 150);
        }
        music::dispCall(bar, QStringLiteral("Add"),
                        {int(staves.Top(staff) / 15 + getInt(staves[staff], "LineTop"))});
        if (i == barCount - 1) {
            put(bar, "BarLineType", 2);
            bars.setWidth(i, 150);
        }
        bars.setVisible(i, true);
        bars.ZOrder(i);
    }
}

void NewMelodyExercise(LessonContext& ctx) {
    NotationArrays& a = ctx.arrays;
    ExerciseState& s = ctx.state;
    s.tools.setMousePointer(kPointerDefault);
    beginSet(ctx, kLesson2,
             QStringLiteral("You have 3 chances to listen to the melody. Click the speaker button to play it."));
    a.lblAs.setTop(1, 2500);
    a.lblAs.setVisible(1, true);

    common::Random& random = common::Random::instance();
    random.seedFromClock();
    const MelodyLevel level = melodyLevel(s.CurrentLevel, random);
    // A bar line every fifth bar from the fourth is double; with five staves the fourth is
    // also the last, and final.
    layBarStaves(ctx, level.barCount, level.metre, 0, 645, 4);

    random.seedFromClock();
    const int key = melodyKey(s.CurrentLevel, random);
    s.items.ItemTonic[1] = KeyToTonicOffset(key);
    random.seedFromClock();

    loadMetre(ctx, level.metre, 160);
    // The editor writes single accidentals; no key signature is drawn: the student writes it.
    put(a.KeySign[0], "KeyMode", 0);
    a.KeySign.setWidth(0, 135);
    a.KeySign.setHeight(0, 495);
    loadSpeaker(ctx);

    a.ChordSymbol.load(1);
    a.ChordSymbol.Move(1, 100, 2100);
    QWidget* name = a.ChordSymbol[1];
    put(name, "ForcedKey", 0);
    put(name, "KeyScale", key);
    put(name, "ChordDisplay", 0);
    put(name, "ScaleMode", 0);
    a.ChordSymbol.setVisible(1, true);
    a.ChordSymbol.ZOrder(1);

    s.items.NoteTable = writtenMelody(level, random, ctx.window.owner());

    finishSet(ctx, kLesson2);
}

void NewRhythmExercise(LessonContext& ctx) {
    NotationArrays& a = ctx.arrays;
    ExerciseState& s = ctx.state;
    beginSet(ctx, kLesson4,
             QStringLiteral("You have 3 chances to listen to the rhythms. Click the speaker button to play it."));
    a.lblAs.setVisible(1, true);

    common::Random& random = common::Random::instance();
    random.seedFromClock();
    const RhythmLevel level = rhythmLevel(s.CurrentLevel - 1, random);
    // The percussion clef; the third bar line is double, the last final.
    layBarStaves(ctx, level.barCount, level.metre, 3, 500, 3);
    loadMetre(ctx, level.metre, 0);
    loadSpeaker(ctx);

    random.seedFromClock();
    s.items.NoteTable = writtenRhythm(level, random);

    finishSet(ctx, kLesson4);
}

} // namespace lessons::written
