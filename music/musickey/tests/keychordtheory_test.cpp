#include "music/musickey/keychordtheory.h"

#include <gtest/gtest.h>

#include <set>

using music::KeyChordTheory;
using T = KeyChordTheory;

namespace {

// An independent view of pitch: semitones of the natural letters and the accidentals' shifts,
// so the tests judge spelled notes by how they sound rather than by the tables they come from.
int letterSemitone(int letter) {
    static const int pc[] = {0, 0, 2, 4, 5, 7, 9, 11};
    return pc[letter];
}
int accidentalShift(int acc) {
    switch (acc) {
    case T::mSharp: return 1;
    case T::mFlat: return -1;
    case T::mDoubleSharp: return 2;
    case T::mDoubleFlat: return -2;
    default: return 0;
    }
}
int pitchClass(int letter, int acc) { return ((letterSemitone(letter) + accidentalShift(acc)) % 12 + 12) % 12; }
int mod12(int x) { return (x % 12 + 12) % 12; }
int stepsUp(int from, int to) { return ((to - from) % 7 + 7) % 7; }
QString letterName(int l) { return QString(QChar(l >= 1 && l <= 7 ? "?CDEFGAB"[l] : '?')); }

T chord(int key, int mode, int degree, int notes = 0) {
    T c;
    c.setKeyScale(key);
    c.setScaleMode(mode);
    c.setRomanNumber(degree);
    c.setChordNotes(notes);
    return c;
}

// Every figure set the lessons use: flag set (figured bass over the bass) and flag clear
// (members above a root-position root).
struct FigureCase { int notes; int inversion; int bassFactor; bool seventh; const char* name; };
const FigureCase kFigureSets[] = {
    {1 + 4 + 16, T::mRoot, 1, false, "5/3"},
    {1 + 32, T::mFirst, 3, false, "6"},
    {1 + 4 + 32, T::mFirst, 3, false, "6/3"},
    {1 + 8 + 32, T::mSecond, 5, false, "6/4"},
    {1 + 64, T::mRoot, 1, true, "7 (figured)"},
    {1 + 4 + 16 + 32, T::mFirst, 3, true, "6/5"},
    {1 + 16 + 32, T::mFirst, 3, true, "6/5 short"},
    {1 + 4 + 8, T::mSecond, 5, true, "4/3"},
    {1 + 4 + 8 + 32, T::mSecond, 5, true, "6/4/3"},
    {1 + 2 + 8, T::mThird, 7, true, "4/2"},
    {1 + 2, T::mThird, 7, true, "2"},
    {1 + 2 + 8 + 32, T::mThird, 7, true, "6/4/2"},
    {0, T::mRoot, 1, false, "none"},
    {64, T::mRoot, 1, true, "7"},
    {8 + 32, T::mRoot, 1, false, "11/13 over root"},
    {2 + 64, T::mRoot, 1, true, "9/7"},
};

} // namespace

TEST(KeyChordTheory, ScalesOfEveryKeyAndModeSoundRight) {
    const int major[] = {0, 2, 4, 5, 7, 9, 11};
    const int minor[] = {0, 2, 3, 5, 7, 8, 10};
    for (int key = -7; key <= 7; ++key) {
        for (int mode : {T::mMajor, T::mMinor}) {
            // Keys go round the circle of fifths; the relative minor lies a minor third below.
            const int tonicPc = mod12(7 * key + (mode == T::mMinor ? 9 : 0));
            std::set<int> letters;
            for (int degree = 1; degree <= 7; ++degree) {
                T c = chord(key, mode, degree);
                const int root = c.getRootNote();
                letters.insert(root);
                const int pc = pitchClass(root, c.getNoteAccidental(root));
                const int expected = mod12(tonicPc + (mode == T::mMajor ? major : minor)[degree - 1]);
                EXPECT_EQ(pc, expected) << "key " << key << " mode " << mode << " degree " << degree;
                EXPECT_EQ(c.getNoteAccidental(root), T::keyAccidental(key, root));
            }
            EXPECT_EQ(letters.size(), 7u) << "a scale uses each letter once";
            EXPECT_EQ(chord(key, mode, 1).getRootNote(), T::tonicLetter(key, mode));
        }
    }
}

TEST(KeyChordTheory, KeySignatureAltersTheFirstLettersOfItsOrder) {
    EXPECT_EQ(QString("FCGDAEB"), [] { QString s; for (int i = 0; i < 7; ++i) s += letterName(T::sharpOrderLetter(i)); return s; }());
    EXPECT_EQ(QString("BEADGCF"), [] { QString s; for (int i = 0; i < 7; ++i) s += letterName(T::flatOrderLetter(i)); return s; }());
    for (int key = -7; key <= 7; ++key) {
        int sharps = 0, flats = 0;
        for (int letter = 1; letter <= 7; ++letter) {
            const int a = T::keyAccidental(key, letter);
            sharps += a == T::mSharp;
            flats += a == T::mFlat;
            EXPECT_TRUE(a == T::mSharp || a == T::mFlat || a == T::mNothing);
        }
        EXPECT_EQ(sharps, key > 0 ? key : 0) << key;
        EXPECT_EQ(flats, key < 0 ? -key : 0) << key;
    }
    // A major: F, C and G sharp, the rest plain.
    const int expectedA[] = {0, T::mSharp, T::mNothing, T::mNothing, T::mSharp, T::mSharp,
                             T::mNothing, T::mNothing};
    for (int letter = 1; letter <= 7; ++letter)
        EXPECT_EQ(chord(3, T::mMajor, 1).getNoteAccidental(letter), expectedA[letter]) << letterName(letter).toStdString();
}

TEST(KeyChordTheory, KeyNamesSpellTheTonic) {
    for (int key = -7; key <= 7; ++key) {
        for (int mode : {T::mMajor, T::mMinor}) {
            const int tonic = T::tonicLetter(key, mode);
            EXPECT_EQ(T::keyLetterText(key, mode), QString(letterName(tonic)));
            const int a = T::keyAccidental(key, tonic);
            EXPECT_EQ(T::keyAccidentalText(key, mode),
                      a == T::mSharp ? T::sharpText() : a == T::mFlat ? T::flatText() : T::blankText())
                << key << " " << mode;
        }
    }
    struct { int key, mode; const char *letter, *acc; } rows[] = {
        {-3, 0, "E", "b"}, {4, 1, "C", "#"}, {-2, 1, "G", " "}, {-7, 0, "C", "b"},
        {7, 1, "A", "#"}, {-4, 1, "F", " "}, {6, 0, "F", "#"}, {0, 1, "A", " "}};
    for (auto r : rows) {
        EXPECT_EQ(T::keyLetterText(r.key, r.mode), QString(r.letter));
        EXPECT_EQ(T::keyAccidentalText(r.key, r.mode), QString(r.acc));
    }
    // Any mode value other than 0 is minor.
    EXPECT_EQ(T::tonicLetter(0, 5), T::mA);
    EXPECT_EQ(T::modeWord(0), "Major");
    EXPECT_EQ(T::modeWord(1), "Minor");
    EXPECT_EQ(T::modeWord(-1), "Minor");
}

TEST(KeyChordTheory, InversionsPutTheRightChordMemberInTheBass) {
    for (const auto& f : kFigureSets) {
        for (int key = -7; key <= 7; ++key) {
            for (int mode : {T::mMajor, T::mMinor}) {
                for (int degree = 1; degree <= 7; ++degree) {
                    T c = chord(key, mode, degree, f.notes);
                    SCOPED_TRACE(testing::Message() << f.name << " key " << key << " mode " << mode
                                                    << " degree " << degree);
                    const int root = c.getRootNote();
                    const int bass = c.getBassNote();
                    EXPECT_EQ(c.getInversion(), f.inversion);
                    EXPECT_EQ(c.bassFactor(), f.bassFactor);
                    // Stacked thirds: the bass's distance above the root names the inversion.
                    EXPECT_EQ(stepsUp(root, bass), 2 * f.inversion);
                    // Under figured bass every figure lands on a member of the chord.
                    if (f.notes & T::FlagBit) {
                        std::set<int> members = {root, (root + 1) % 7 + 1, (root + 3) % 7 + 1};
                        if (f.seventh) members.insert((root + 5) % 7 + 1);
                        for (int fig = 2; fig <= 8; ++fig) {
                            if (f.notes & (1 << (fig - 1))) {
                                EXPECT_TRUE(members.count((bass + fig - 2) % 7 + 1))
                                    << "figure " << fig << " above " << letterName(bass).toStdString();
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(KeyChordTheory, AlterationsRaiseOrLowerTheFigureAboveTheBass) {
    struct Set { void (T::*set)(int); int shift; const char* name; };
    const Set sets[] = {{&T::setRaisedNotes, 1, "raised"},       {&T::setAugmentedNotes, 1, "augmented"},
                        {&T::setLoweredNotes, -1, "lowered"},    {&T::setDiminishedNotes, -1, "diminished"},
                        {&T::setHalfDiminishedNotes, -1, "half-diminished"}};
    for (const auto& s : sets) {
        for (const auto& f : kFigureSets) {
            for (int key = -7; key <= 7; ++key) {
                for (int mode : {T::mMajor, T::mMinor}) {
                    for (int degree = 1; degree <= 7; ++degree) {
                        for (int n = 0; n < 7; ++n) {
                            T plain = chord(key, mode, degree, f.notes);
                            T altered = plain;
                            (altered.*s.set)(1 << n);
                            const int letter = (plain.getBassNote() + n - 1) % 7 + 1;
                            const int before = plain.getNoteAccidental(letter);
                            const int after = altered.getNoteAccidental(letter);
                            EXPECT_EQ(mod12(pitchClass(letter, after) - pitchClass(letter, before)),
                                      mod12(s.shift))
                                << s.name << " " << f.name << " key " << key << " degree " << degree
                                << " step " << n;
                            // Only the altered letter moves.
                            for (int other = 1; other <= 7; ++other) {
                                if (other == letter) continue;
                                EXPECT_EQ(altered.getNoteAccidental(other), plain.getNoteAccidental(other));
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(KeyChordTheory, SpellingsFollowTheAccidentalLadder) {
    struct { int key, mode, degree, notes, raised, lowered, pitch, expected; } rows[] = {
        // A minor V: E, bass E; its raised third is G sharp, the fifth B unchanged.
        {0, 1, 5, 1 + 4 + 16, 4, 0, T::mG, T::mSharp},
        {0, 1, 5, 1 + 4 + 16, 4, 0, T::mB, T::mNothing},
        // C major V4/2: bass F; lowering the bass gives F flat.
        {0, 0, 5, 1 + 2 + 8, 0, 1, T::mF, T::mFlat},
        // F major IV: root B flat; raising the root without figures gives B natural.
        {-1, 0, 4, 0, 0, 0, T::mB, T::mFlat},
        {-1, 0, 4, 0, 1, 0, T::mB, T::mNatural},
        // Sharp keys: raising a sharp gives a double sharp, lowering it a natural.
        {7, 0, 7, 0, 1, 0, T::mB, T::mDoubleSharp},
        {2, 0, 1, 1 + 32, 0, 1, T::mF, T::mNatural},
        // Flat keys: lowering a flat gives a double flat.
        {-7, 0, 1, 0, 0, 1, T::mC, T::mDoubleFlat},
    };
    for (auto r : rows) {
        T c = chord(r.key, r.mode, r.degree, r.notes);
        c.setRaisedNotes(r.raised);
        c.setLoweredNotes(r.lowered);
        EXPECT_EQ(c.getNoteAccidental(r.pitch), r.expected)
            << "key " << r.key << " degree " << r.degree << " pitch " << letterName(r.pitch).toStdString();
    }
    T v = chord(0, 1, 5, 1 + 4 + 16);
    EXPECT_EQ(v.getRootNote(), T::mE);
    EXPECT_EQ(v.getBassNote(), T::mE);
    EXPECT_EQ(v.getInversion(), T::mRoot);
    T v42 = chord(0, 0, 5, 1 + 2 + 8);
    EXPECT_EQ(v42.getInversion(), T::mThird);
    EXPECT_EQ(v42.getBassNote(), T::mF);
    T ebV = chord(-3, 0, 5);
    EXPECT_EQ(ebV.getRootNote(), T::mB);
}

TEST(KeyChordTheory, MinorDominantsRaisedThirdIsTheLeadingTone) {
    for (int key = -7; key <= 7; ++key) {
        T c = chord(key, T::mMinor, 5, 1 + 4 + 16);
        c.setRaisedNotes(4);
        const int third = (c.getRootNote() + 1) % 7 + 1;
        const int tonic = T::tonicLetter(key, T::mMinor);
        EXPECT_EQ(mod12(pitchClass(third, c.getNoteAccidental(third)) + 1),
                  pitchClass(tonic, T::keyAccidental(key, tonic)))
            << key;
    }
}

TEST(KeyChordTheory, PrecedenceOfTheAlterationSets) {
    // Raised is tested before lowered: a bit in both raises.
    T c = chord(0, 0, 1);
    c.setRaisedNotes(1);
    c.setLoweredNotes(1);
    EXPECT_EQ(c.getNoteAccidental(T::mC), T::mSharp);
    // Lowered before augmented.
    T d = chord(0, 0, 1);
    d.setAugmentedNotes(16);
    d.setLoweredNotes(16);
    EXPECT_EQ(d.getNoteAccidental(T::mG), T::mFlat);
    // Augmented before diminished.
    T e = chord(0, 0, 1);
    e.setDiminishedNotes(16);
    e.setAugmentedNotes(16);
    EXPECT_EQ(e.getNoteAccidental(T::mG), T::mSharp);
}

TEST(KeyChordTheory, BitSetsClampToAByte) {
    struct { int in; int16_t out; } rows[] = {{300, 255}, {-5, 0}, {255, 255}, {0, 0}, {77, 77}, {-32768, 0}, {70000, 255}};
    for (auto r : rows) {
        T c;
        c.setChordNotes(r.in);
        c.setRaisedNotes(r.in);
        c.setLoweredNotes(r.in);
        c.setDiminishedNotes(r.in);
        c.setAugmentedNotes(r.in);
        c.setHalfDiminishedNotes(r.in);
        for (int16_t v : {c.chordNotes(), c.raisedNotes(), c.loweredNotes(), c.diminishedNotes(),
                          c.augmentedNotes(), c.halfDiminishedNotes()})
            EXPECT_EQ(v, r.out) << r.in;
    }
    struct { int set, count; } counts[] = {{0, 0}, {1, 0}, {2, 1}, {1 + 8 + 32, 2}, {255, 7}, {256, 1}, {511, 8}};
    for (auto r : counts) EXPECT_EQ(T::countChordNotes(r.set), r.count) << r.set;
}

TEST(KeyChordTheory, OutOfRangeKeyDegreeOrLetterGivesNothing) {
    struct { int key, degree, pitch; } rows[] = {
        {-8, 1, 1}, {8, 1, 1}, {100, 5, 3}, {-32768, 1, 1}, {0, 0, 1}, {0, 8, 1}, {3, -1, 4}, {0, 1, 0}, {0, 1, 8}};
    for (auto r : rows) {
        T c = chord(r.key, 0, r.degree, 1 + 32);
        c.setRaisedNotes(255);
        const bool good = T::isKey(r.key) && T::isDegree(r.degree);
        if (!good) {
            EXPECT_EQ(c.getRootNote(), 0) << r.key << " " << r.degree;
            EXPECT_EQ(c.getBassNote(), 0) << r.key << " " << r.degree;
        }
        EXPECT_EQ(c.getNoteAccidental(r.pitch), T::mNothing) << r.key << " " << r.degree << " " << r.pitch;
        EXPECT_EQ(c.getInversion(), T::mFirst);
    }
    EXPECT_EQ(T::tonicLetter(8, 0), 0);
    EXPECT_EQ(T::keyAccidental(-9, T::mB), T::mNothing);
    EXPECT_TRUE(T::keyLetterText(8, 0).isEmpty());
    EXPECT_TRUE(T::keyAccidentalText(-8, 1).isEmpty());
}

TEST(KeyChordTheory, NumeralsAndTechnicalNames) {
    const char* upper[] = {"I", "II", "III", "IV", "V", "VI", "VII"};
    const char* lower[] = {"i", "ii", "iii", "iv", "v", "vi", "vii"};
    const char* names[] = {"Tonic", "Super Tonic", "Mediant", "Sub Dominant", "Dominant",
                           "Sub Mediant", "Leading Tone"};
    for (int n = 1; n <= 7; ++n) {
        EXPECT_EQ(T::romanNumeralText(n, T::mUpper), upper[n - 1]);
        EXPECT_EQ(T::romanNumeralText(n, T::mLower), lower[n - 1]);
        EXPECT_EQ(T::romanNumeralText(n, 7), lower[n - 1]) << "any case but 0 is lower";
        EXPECT_EQ(T::technicalName(n), names[n - 1]);
    }
    for (int n : {0, 8, -1, 1000}) {
        EXPECT_EQ(T::romanNumeralText(n, 0), "Illegal");
        EXPECT_EQ(T::romanNumeralText(n, 1), "Illegal");
        EXPECT_EQ(T::technicalName(n), "Illegal");
    }
}

TEST(KeyChordTheory, ForcedAccidentalCodes) {
    const QString key = QStringLiteral("b");
    struct { int code; QString text; } rows[] = {
        {0, " "}, {1, "#"}, {2, "b"}, {3, QString(QChar(0xBA))}, {4, QString(QChar(0xDC))},
        {5, "n"}, {6, key}, {7, key}, {-1, key}, {99, key}};
    for (const auto& r : rows) EXPECT_EQ(T::forcedAccidentalText(r.code, key), r.text) << r.code;
}

TEST(KeyChordTheory, FiguresStackHighestFirstWithTheirMarks) {
    struct Row {
        int notes, raised, lowered, augmented, diminished, half;
        QStringList numbers;
        QStringList marks;
        QList<bool> lifted;
    };
    const QString aug(QChar(0xC0)), half(QChar(0xBF));
    const Row rows[] = {
        {64, 0, 0, 0, 0, 0, {"7"}, {""}, {true}},                   // V7
        {1 + 64, 0, 0, 0, 0, 0, {"7"}, {""}, {true}},               // a lone seventh lifts either way
        {128, 0, 0, 0, 0, 0, {"8"}, {""}, {true}},
        {2, 0, 0, 0, 0, 0, {"9"}, {""}, {true}},                    // flag clear: 2 reads as 9
        {1 + 2, 0, 0, 0, 0, 0, {"2"}, {""}, {false}},               // flag set: a plain 2
        {1 + 32, 0, 0, 0, 0, 0, {"6"}, {""}, {false}},
        {1 + 8 + 32, 0, 0, 0, 0, 0, {"6", "4"}, {"", ""}, {false, false}},  // I6/4
        {2 + 64, 0, 0, 0, 0, 0, {"9", "7"}, {"", ""}, {false, false}},         // V9: 9 over 7
        {2 + 4 + 64, 0, 0, 0, 0, 0, {"9", "7", "3"}, {"", "", ""}, {false, false, false}},
        {8 + 32, 0, 0, 0, 0, 0, {"13", "11"}, {"", ""}, {false, false}},
        {1 + 4 + 16 + 32, 0, 0, 0, 0, 0, {"6", "5", "3"}, {"", "", ""}, {false, false, false}},
        {1 + 4 + 8, 0, 0, 0, 0, 0, {"4", "3"}, {"", ""}, {false, false}},
        {1 + 2 + 8, 0, 0, 0, 0, 0, {"4", "2"}, {"", ""}, {false, false}},
        {1 + 32, 32, 0, 0, 0, 0, {"6"}, {"#"}, {false}},
        {1 + 8 + 32, 0, 8, 0, 0, 0, {"6", "4"}, {"", "b"}, {false, false}},
        {64, 0, 0, 0, 64, 0, {"7"}, {"o"}, {true}},                 // vii°7
        {64, 0, 0, 0, 0, 64, {"7"}, {half}, {true}},                // viiø7
        {1 + 4 + 16, 0, 0, 16, 0, 0, {"5", "3"}, {aug, ""}, {false, false}},
        {64, 64, 64, 64, 64, 64, {"7"}, {"#"}, {true}},             // raised wins
        {0, 16, 0, 0, 0, 0, {}, {}, {}},
    };
    for (const auto& r : rows) {
        T c;
        c.setChordNotes(r.notes);
        c.setRaisedNotes(r.raised);
        c.setLoweredNotes(r.lowered);
        c.setAugmentedNotes(r.augmented);
        c.setDiminishedNotes(r.diminished);
        c.setHalfDiminishedNotes(r.half);
        const auto figs = c.figures();
        ASSERT_EQ(figs.size(), r.numbers.size()) << r.notes;
        for (int j = 0; j < figs.size(); ++j) {
            EXPECT_EQ(figs[j].number, r.numbers[j]) << r.notes;
            EXPECT_EQ(figs[j].mark, r.marks[j]) << r.notes;
            EXPECT_EQ(figs[j].lifted, r.lifted[j]) << r.notes;
            EXPECT_EQ(figs[j].markOnFigureLine, r.marks[j] == "#" || r.marks[j] == "b") << r.notes;
        }
        EXPECT_EQ(c.hasAlterations(), (r.raised | r.lowered | r.augmented | r.diminished | r.half) > 1);
    }
    // The flag bit alone is not an alteration that makes room for marks.
    T flagOnly;
    flagOnly.setLoweredNotes(1);
    EXPECT_FALSE(flagOnly.hasAlterations());
}

TEST(KeyChordTheory, QualityMarkOfAChordWithoutFigures) {
    const QString aug(QChar(0xC0)), half(QChar(0xBF));
    struct { int raised, lowered, augmented, diminished, half; QString mark; } rows[] = {
        {0, 0, 0, 16, 0, "o"},    // vii°
        {0, 0, 16, 0, 0, aug},    // III+
        {0, 0, 0, 0, 16, half},
        {0, 16, 0, 0, 0, "b"},
        {4, 0, 0, 16, 0, ""},     // a raised note silences the mark
        {0, 0, 0, 4, 0, ""},      // only the fifth gives the quality
        {0, 16, 16, 16, 16, "b"}, // lowered is looked at first
        {0, 0, 16, 16, 0, aug},
        {1, 0, 0, 16, 0, "o"},    // the flag bit is not a raised note
    };
    for (const auto& r : rows) {
        T c;
        c.setRaisedNotes(r.raised);
        c.setLoweredNotes(r.lowered);
        c.setAugmentedNotes(r.augmented);
        c.setDiminishedNotes(r.diminished);
        c.setHalfDiminishedNotes(r.half);
        EXPECT_EQ(c.qualityMark(), r.mark);
        EXPECT_TRUE(c.figures().isEmpty());
    }
}
