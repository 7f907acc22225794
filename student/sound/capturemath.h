#pragma once
// The arithmetic of played input, apart from any window: the piano's key map and note steps,
// the metronome's interval, the ladder that turns a played length in milliseconds into a note
// value against the measured beat, the bar arithmetic of the music already written, where a
// note crossing a bar line is split, and which notes the selection tail deselects, selects
// and beams. The piano and drum captures call these; tests read them
// as tables.
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

namespace sound {

// ---- The piano's keys ----

inline constexpr int kPianoKeys = 37;        // key(0) C3 .. key(36) C6
inline constexpr qint16 kNoKey = -100;       // KeyCodeToNote's "no key"

// A black key: k mod 12 is 1, 3, 6, 8 or 10.
bool isBlackKey(int key);
// The note step of a piano key (0 = the A two steps above a treble staff's top line, one step
// per diatonic step downward: middle C 12, C3 19, C6 -2). A black key takes the step of the
// white key below it (a sharp) when spelling >= 1, of the white key above it (a flat) below 1.
// A key outside 0..36 gives 0.
qint16 NoteFromPiano(int key, qint32 spelling);
// The accidental a played key is written with: 1 sharp (black key, spelling >= 1), 2 flat
// (black key, spelling < 1), 0 for a white key and for any key outside 1..34.
qint16 AccidentalFromPiano(int key, qint32 spelling);
// The computer keyboard's key codes (Z S X D C V G B H N J M , L . ; /) to piano keys 0..16;
// any other code kNoKey.
qint16 KeyCodeToNote(int keyCode);
// A Qt key to the key code of the table above: letters 65..90, "," 188, "." 190, ";" 186,
// "/" 191, their shifted characters alike ("<" 188, ">" 190, ":" 186, "?" 191); else 0.
int keyCodeForQtKey(int qtKey);
// Where a note step is written: step x 75 + 300 twips (16-bit arithmetic).
qint16 stepTop(qint16 step);

// ---- The metronome ----

inline constexpr int kSliderMin = 40, kSliderMax = 120, kSliderDesign = 60;
inline constexpr int kDesignInterval = 250;   // ms, matches the slider's design value
// One metronome tick (a quarter of a beat): Int((180 - |value|) x 8.33334 / 4) ms.
int metronomeInterval(int sliderValue);

// ---- Note values ----

// A note value as the note palette writes it: the pressed tbrNotes button (3 whole .. 7
// sixteenth), the template's dots and the length in ticks.
struct NoteChoice {
    int button = 5;
    int dots = 0;
    qint32 ticks = 2048;
    int step = 0;   // the ladder step that matched, 1..8; 0 = none (a quarter)
    bool operator==(const NoteChoice& o) const {
        return button == o.button && dots == o.dots && ticks == o.ticks && step == o.step;
    }
};

struct LadderStep {
    double factor;
    int button;
    int dots;
    qint32 ticks;
};
// Steps k = 1..8 (index k - 1).
const std::array<LadderStep, 8>& durationLadder();

// The played length D (ms) as a note value: for k = 1..8, with T = (120 - slider) x k and
// B = beatTicks / 2048 x factor, the first k where Int((D - T) / 100) x 100 <=
// Int(beatPeriod / B) x 100; none: a quarter. beatTicks must be above 0.
NoteChoice classifyLength(qint64 lengthMs, int sliderValue, qint64 beatPeriodMs, qint32 beatTicks);
// The button and dots of one part of a tied note: 512, 1024, 1536, 2048, 3072, 4096, 6144 and
// 8192 ticks; any other length has none (nothing is written for it).
std::optional<NoteChoice> choiceForLength(qint32 ticks);

// ---- Bars ----

// The music already written, against the time signature: Sum ticks on the staff, the beat in
// ticks (16-bit), beats written, beats per bar, whole bars written and the bar in ticks.
struct BarMath {
    qint32 sum = 0;
    qint16 beatTicks = 2048;
    double beats = 0;
    qint16 beatsPerBar = 4;
    qint32 bar = 0;        // Int(beats / beatsPerBar): the current bar is StaffLines(bar + 2)
    qint16 barTicks = 8192;
    qint32 newTotal(qint32 length) const { return length + sum; }
    // The note of `length` ends on a bar line or stays inside the current bar.
    bool staysInBar(qint32 length) const;
    // The current bar's staff is StaffLines(bar + 2): it exists when bar + 2 <= ubound.
    bool hasRoom(int staffUbound) const { return bar + 2 <= staffUbound; }
};
// Nothing when the arithmetic has no answer: a beat of 0 ticks or over 16 bits, no beats per
// bar, or a bar of more ticks than 16 bits hold. Then nothing is written.
std::optional<BarMath> barMath(qint32 sum, double beatTicks, int beatsPerBar);

// A note of `length` ticks written at `m`: whether it crosses the bar line, and its part up to
// the bar line and after it.
struct BarSplit {
    bool crosses = false;
    qint32 first = 0;    // L - (NewTotal mod BarTicks)
    qint32 rest = 0;     // NewTotal mod BarTicks
};
BarSplit splitAtBarLine(const BarMath& m, qint32 length);

// ---- Selection and beams ----

enum class TailForm { Press, Timer };
// What the selection tail does after a note of `length` (0 after the first press of a phrase)
// at `m`; `lastValue` is the NoteValue of the highest note element when there is one.
struct TailPlan {
    bool deselectAll = false;   // a quarter or longer, or a note on the beat, starts a group
    bool split = false;         // select the first part of the tie, later only the second
    bool beam = false;          // the selected notes of the beat get one stem and a beam
    bool operator==(const TailPlan& o) const {
        return deselectAll == o.deselectAll && split == o.split && beam == o.beam;
    }
};
TailPlan planSelectionTail(const BarMath& m, qint32 length, std::optional<qint32> lastValue, TailForm form);
// The stem of a beamed group from the selected notes' tops (twips, in index order): the
// reference starts at 0 and takes each h = Int(top / 75) x 75 - 150 whose size is above the
// reference as it stands (signed, so a negative reference gives way to any later note); 0
// (down) when the reference ends below 1, else -1 (up).
int groupStemDirection(const std::vector<double>& tops);

} // namespace sound
