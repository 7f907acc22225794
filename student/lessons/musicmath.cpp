#include "musicmath.h"

#include "staffseam.h"

#include "music/framework/dispatch.h"

namespace lessons {

KeyTables& keyTables() {
    static KeyTables tables;
    return tables;
}

void fillKeyTables() {
    KeyTables& t = keyTables();
    t.SharpPositions = {0, 0, 3, -1, 2, 5, 1, 4};
    t.SharpSteps = {0, 3, 0, 4, 1, 5, 2, 6};
    t.FlatPositions = {0, 4, 1, 5, 2, 6, 3, 7};
    t.FlatSteps = {0, 6, 2, 5, 1, 4, 0, 3};
}

qint16 KeyToTonicOffset(int key) {
    static constexpr qint16 kOffsets[15] = {-1, 6, 1, -4, 3, -2, 5, 0, -5, 2, -3, 4, -1, -6, 1};
    return key >= -7 && key <= 7 ? kOffsets[key + 7] : 0;
}

qint16 beatsPerBarForPulses(int pulses) {
    static constexpr qint16 kBeats[7] = {0, 2, 3, 4, 2, 3, 4};
    return pulses >= 1 && pulses <= 6 ? kBeats[pulses] : 0;
}

qint16 GetBeatsPerBar(QObject* metre) {
    if (!metre) return 0;
    return beatsPerBarForPulses(music::dispGet(metre, QStringLiteral("Pulses")).toInt());
}

bool IsNonZero(int value) { return value != 0; }

namespace {
qint32 unitTicks(qint32 unit) {
    static constexpr qint32 kTicks[5] = {8192, 4096, 2048, 1024, 512};
    return unit >= 0 && unit <= 4 ? kTicks[unit] : 0;
}
} // namespace

double GetBarLength(qint32 pulses, qint32 unit) {
    static constexpr qint32 kUnits[7] = {0, 2, 3, 4, 6, 9, 12};
    const qint32 units = pulses >= 1 && pulses <= 6 ? kUnits[pulses] : 0;
    return double(units * unitTicks(unit)) / 2048.0;
}

double GetBeatTicks(qint32 pulses, qint32 unit) {
    const qint32 multiplier = pulses >= 1 && pulses <= 3 ? 1 : pulses >= 4 && pulses <= 6 ? 3 : 0;
    return double(multiplier * unitTicks(unit));
}

qint32 KeyAccidentalForStep(int step, qint32 key) {
    if (key < -7 || key > 7) return 0;
    const KeyTables& t = keyTables();
    if (key > 0) {
        for (int i = 1; i <= key; ++i)
            if (((10 - t.SharpPositions[size_t(i)]) % 7 + 7) % 7 + 1 == step) return 1;
    } else if (key < 0) {
        for (int i = 1; i <= -key; ++i)
            if (((10 - t.FlatPositions[size_t(i)]) % 7 + 7) % 7 + 1 == step) return 2;
    }
    return 0;
}

qint32 GetNoteAccidentalFromKey(QObject* note, qint32 step, qint32 key) {
    const qint32 own = note ? music::dispGet(note, QStringLiteral("AccidentalName")).toInt() : 0;
    return own == 0 ? KeyAccidentalForStep(step, key) : own;
}

qint16 LetterToStep(const QString& letter) {
    static const QString kLetters = QStringLiteral("CDEFGAB");
    if (letter.size() != 1) return 0;
    const int i = kLetters.indexOf(letter[0]);
    return i < 0 ? 0 : qint16(i + 1);
}

int whiteKeyValue(int step) {
    if (step < -20 || step > 20) return 0;
    // Semitones from step s to s + 1, starting at the B of step -3.
    static constexpr int kUp[7] = {1, 2, 2, 1, 2, 2, 2};
    int v = 0;
    if (step >= -3) {
        for (int s = -3; s < step; ++s) v += kUp[(s + 3) % 7];
    } else {
        for (int s = -4; s >= step; --s) v -= kUp[((s + 3) % 7 + 7) % 7];
    }
    return v;
}

qint16 GetEffectiveAccidental(StaffSeam& staff, int index, ElementArray& notes, QObject* clef, int& staffIndex,
                              std::optional<qint32> key) {
    int s = staff.NoteMouseMove(index, 0, 0, notes, staffIndex);
    const QString letter = staff.AdjustNoteToStaff(clef, qint16(s), staffIndex);
    if (clef && music::dispGet(clef, QStringLiteral("Clef")).toInt() == 1) s -= 12;
    int v = whiteKeyValue(s);
    QObject* note = notes[index];
    const int own = note ? music::dispGet(note, QStringLiteral("AccidentalName")).toInt() : 0;
    if (key && own == 0) {
        const qint32 a = GetNoteAccidentalFromKey(note, LetterToStep(letter), *key);
        if (a == 2) v -= 1;
        else if (a == 1) v += 1;
    }
    switch (own) {
    case 3: v -= 2; break;
    case 4: v += 2; break;
    case 2:
    case 7: v -= 1; break;
    case 1:
    case 6: v += 1; break;
    default: break;
    }
    return qint16(v);
}

bool PointInRect(qint32 left, qint32 top, qint32 right, qint32 bottom, qint32 x, qint32 y) {
    return left < x && x < right && top < y && y < bottom;
}

} // namespace lessons
