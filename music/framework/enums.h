#pragma once
// The enumerations of the notation type library, with their fixed values (hosts and stored
// window data use the numbers).
#include <QObject>

namespace music {
Q_NAMESPACE

enum fmMousePointer {
    Default = 0, Arrow = 1, Cross = 2, IBeam = 3, IconPointer = 4, SizePointer = 5, SizeNESW = 6,
    SizeNS = 7, SizeNWSE = 8, SizeWE = 9, UpArrow = 10, HourGlass = 11, NoDrop = 12,
    AppStarting = 13, Help = 14, SizeAll = 15, Custom = 99
};
Q_ENUM_NS(fmMousePointer)

enum ClefName { Treble = 0, Bass = 1, C_Clef = 2, Percussion = 3, Tenor = 4 };
Q_ENUM_NS(ClefName)

enum TimePulses {
    Single = 0, SimpleDuple = 1, SimpleTriple = 2, SimpleQuadruple = 3, CompoundDuple = 4,
    CompoundTriple = 5, CompoundQuadruple = 6, Complex = 7
};
Q_ENUM_NS(TimePulses)

enum NoteName {
    Whole = 0, Half = 1, Quarter = 2, Eighth = 3, Sixteenth = 4, ThirtySecondth = 5,
    SixtyFourth = 6, OneTwentyEighth = 7, DoubleWhole = 8
};
Q_ENUM_NS(NoteName)

enum TrueFalse { True = -1, False = 0 };
enum UpDown { Up = -1, Down = 0 };

enum fmAccidental {
    mNothing = 0, mSharp = 1, mFlat = 2, mDoubleFlat = 3, mDoubleSharp = 4, mNatural = 5,
    mNaturalSharp = 6, mNaturalFlat = 7
};
Q_ENUM_NS(fmAccidental)

enum fmKeyName {
    keyCFlat = -7, keyGFlat = -6, keyDFlat = -5, keyAFlat = -4, keyEFLat = -3, keyBFlat = -2,
    keyF = -1, keyC = 0, keyG = 1, keyD = 2, keyA = 3, keyE = 4, keyB = 5, keyFSharp = 6,
    keyCSharp = 7
};
Q_ENUM_NS(fmKeyName)

enum fmAccKey { Accidental = 0, KeySignature = 1 };
enum fmSharpOrder { TrebleSharpOrder = 0, TenorSharpOrder = 1 };
enum fmBarLines { BarLine = 0, DoubleBarLine = 1, Finale = 2, RepeatStart = 3, RepeatEnd = 4, Dashed = 5 };
enum fmCurve { Tie = 0, Slur = 1 };
enum fmBeamAngle { Pos30 = 0, Pos15 = 1, Deg0 = 2, Neg15 = 3, Neg30 = 4 };
enum fmMode { mMajor = 0, mMinor = 1 };
enum LetterName { mC = 1, mD = 2, mE = 3, mF = 4, mG = 5, mA = 6, mB = 7 };
enum fmInversion { mRoot = 0, mFirst = 1, mSecond = 2, mThird = 3 };
enum fmChordFormat { mScaleName = 0, mRomanNumeral = 1, mTechnicalName = 2 };
enum fmCase { mUpper = 0, mLower = 1 };
enum fmRomanNumber { mI = 1, mII = 2, mIII = 3, mIV = 4, mV = 5, mVI = 6, mVII = 7 };

// Stock dispatch identifiers.
enum StockDispId {
    DISPID_BACKCOLOR = -501, DISPID_FILLCOLOR = -510, DISPID_FONT = -512, DISPID_FORECOLOR = -513,
    DISPID_ENABLED = -514, DISPID_TABSTOP = -516, DISPID_CAPTION = -518,
    DISPID_MOUSEPOINTER = -521, DISPID_MOUSEICON = -522
};

} // namespace music
