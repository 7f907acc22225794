#include "capturemath.h"

#include "common/basic.h"

#include <Qt>
#include <cmath>
#include <cstdlib>

namespace sound {

using basic::Int;

// ---- The piano's keys ----

bool isBlackKey(int key) {
    const int pc = ((key % 12) + 12) % 12;
    return pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
}

namespace {
// The step of a white key: C3 is 19, one step less per white key upward.
int whiteStep(int key) {
    static constexpr std::array<int, 12> whiteIndex = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
    return 19 - (key / 12 * 7 + whiteIndex[size_t(key % 12)]);
}
} // namespace

qint16 NoteFromPiano(int key, qint32 spelling) {
    if (key < 0 || key >= kPianoKeys) return 0;
    if (!isBlackKey(key)) return qint16(whiteStep(key));
    // whiteStep of a black key is that of the white key below it (its sharp).
    return qint16(spelling >= 1 ? whiteStep(key) : whiteStep(key) - 1);
}

qint16 AccidentalFromPiano(int key, qint32 spelling) {
    if (key < 1 || key > 34 || !isBlackKey(key)) return 0;
    return spelling >= 1 ? 1 : 2;
}

qint16 KeyCodeToNote(int keyCode) {
    static constexpr std::array<int, 17> codes = {90, 83, 88, 68, 67, 86, 71, 66, 72,
                                                  78, 74, 77, 188, 76, 190, 186, 191};
    for (size_t k = 0; k < codes.size(); ++k)
        if (codes[k] == keyCode) return qint16(k);
    return kNoKey;
}

int keyCodeForQtKey(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 65 + (qtKey - Qt::Key_A);
    switch (qtKey) {
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    default:
        return 0;
    }
}

qint16 stepTop(qint16 step) { return qint16(step * 75 + 300); }

// ---- The metronome ----

int metronomeInterval(int sliderValue) {
    return int(Int((180.0 - std::abs(sliderValue)) * 8.33334 / 4.0));
}

// ---- Note values ----

const std::array<LadderStep, 8>& durationLadder() {
    static const std::array<LadderStep, 8> ladder = {{
        {400, 7, 0, 512},
        {200, 6, 0, 1024},
        {150, 6, 1, 1536},
        {100, 5, 0, 2048},
        {75, 5, 1, 3072},
        {50, 4, 0, 4096},
        {37.5, 4, 1, 6144},
        {25, 3, 0, 8192},
    }};
    return ladder;
}

NoteChoice classifyLength(qint64 lengthMs, int sliderValue, qint64 beatPeriodMs, qint32 beatTicks) {
    const auto& ladder = durationLadder();
    for (int k = 1; k <= int(ladder.size()); ++k) {
        const LadderStep& s = ladder[size_t(k - 1)];
        const qint64 tolerance = qint64(120 - sliderValue) * k;
        const double b = double(beatTicks) / 2048.0 * s.factor;
        const double played = Int(double(lengthMs - tolerance) / 100.0) * 100.0;
        const double threshold = Int(double(beatPeriodMs) / b) * 100.0;
        if (played <= threshold) return {s.button, s.dots, s.ticks, k};
    }
    return {5, 0, 2048, 0};
}

std::optional<NoteChoice> choiceForLength(qint32 ticks) {
    for (const LadderStep& s : durationLadder())
        if (s.ticks == ticks) return NoteChoice{s.button, s.dots, s.ticks, 0};
    return std::nullopt;
}

// ---- Bars ----

std::optional<BarMath> barMath(qint32 sum, double beatTicks, int beatsPerBar) {
    const auto beat = basic::toInt16(beatTicks);
    if (!beat || *beat <= 0 || beatsPerBar <= 0 || beatsPerBar > 32767) return std::nullopt;
    const qint32 bar = qint32(*beat) * beatsPerBar;
    if (bar > 32767) return std::nullopt;
    BarMath m;
    m.sum = sum;
    m.beatTicks = *beat;
    m.beats = double(sum) / double(*beat);
    m.beatsPerBar = qint16(beatsPerBar);
    m.bar = qint32(Int(m.beats / beatsPerBar));
    m.barTicks = qint16(bar);
    return m;
}

bool BarMath::staysInBar(qint32 length) const {
    const qint32 total = newTotal(length);
    return total % barTicks == 0 || beats / beatsPerBar >= Int(double(total) / beatTicks / beatsPerBar);
}

BarSplit splitAtBarLine(const BarMath& m, qint32 length) {
    BarSplit s;
    s.crosses = !m.staysInBar(length);
    s.rest = m.newTotal(length) % m.barTicks;
    s.first = length - s.rest;
    return s;
}

// ---- Selection and beams ----

TailPlan planSelectionTail(const BarMath& m, qint32 length, std::optional<qint32> lastValue, TailForm form) {
    TailPlan plan;
    plan.deselectAll = (lastValue && *lastValue >= 2048) || m.sum % m.beatTicks == 0;
    plan.split = !m.staysInBar(length);
    const bool completesBeat = m.newTotal(length) % m.beatTicks == 0 && m.sum >= 1;
    plan.beam = form == TailForm::Press ? completesBeat || length >= 2048 : completesBeat;
    return plan;
}

int groupStemDirection(const std::vector<double>& tops) {
    double reference = 0;
    for (double top : tops) {
        const double h = Int(top / 75.0) * 75.0 - 150.0;
        if (std::abs(h) > reference) reference = h;
    }
    return reference < 1 ? 0 : -1;
}

} // namespace sound
