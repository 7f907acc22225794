#pragma once
// The checks on written notation that the melody and rhythm scorers share: the marks they leave
// on faulty symbols, the bar checks (a group of notes must fill one bar) and the rest check
// (rests on the beat grid, every bar whole). Everything is read from the real control arrays as
// the staff editor leaves them: positions from the element records, values from the controls.
#include "student/lessons/loadedflags.h"
#include "student/lessons/notationarrays.h"

#include <QString>
#include <functional>
#include <vector>

namespace music { class Note; }

namespace lessons::written {

// The column of each tracked array in the table of loaded elements (lessons 2, 4 and 7).
enum Column { ColKeySign = 1, ColNotes = 2, ColClef = 3, ColMetre = 5, ColBeams = 6 };

// The faults' names, as the student reads them in the tool tips.
namespace fault {
inline const QString NoteValueBar = QStringLiteral("Incorrect note value.");
inline const QString RestValues = QStringLiteral("Incorrect rest values.");
inline const QString RhythmsBar = QStringLiteral("Incorrect Rhythms");
inline const QString MissingRhythms = QStringLiteral("Missing Rhythms");
inline const QString RhythmsBeam = QStringLiteral("Incorrect Rhythms.");
inline const QString Beaming = QStringLiteral("Incorrect Beaming.");
inline const QString BeamingOfNotes = QStringLiteral("Incorrect Beaming of Notes.");
inline const QString TooMany = QStringLiteral("Too Many Notes");
inline const QString NoteValue = QStringLiteral("Incorrect Note Value");
inline const QString Pitch = QStringLiteral("Incorrect Pitch");
inline const QString KeySignature = QStringLiteral("Incorrect Key Signature.");
} // namespace fault

// The one marking function: a wrong element turns red (ForeColor 255) and, when a fault is
// given, shows it as its tool tip; a cleared element turns black with no tool tip. The
// colour-only checks leave the tool tip alone, and never turn black an element whose tool tip
// names a fault.
enum class Tip { Set, Keep };
void setMark(QWidget* element, bool wrong, const QString& fault = QString(), Tip tip = Tip::Set);
inline void markWrong(QWidget* e, const QString& fault, Tip tip = Tip::Set) { setMark(e, true, fault, tip); }
inline void clearMark(QWidget* e, Tip tip = Tip::Set) { setMark(e, false, QString(), tip); }

// ---- What the editor left on the arrays ----
// A written note or rest: loaded, and recorded in the notes' column.
bool noteLoaded(const NotationArrays& a, const LoadedFlags& flags, int i);
music::Note* noteAt(const NotationArrays& a, int i);
qint32 noteValue(const NotationArrays& a, int i);   // ticks, dots included
bool isRest(const NotationArrays& a, int i);
// The written notes and rests, in index order.
std::vector<int> loadedNotes(const NotationArrays& a, const LoadedFlags& flags);
// Orders element indices by Left as the scorers always have: an exchange sort that swaps only
// when the later entry stands strictly further left (the order of equal Lefts follows from it).
void sortByLeft(const NotationArrays& a, std::vector<int>& list);

// The metre of the exercise (tmMeter(1)); 0 for both when it is not loaded.
struct Metre {
    qint32 pulses = 0, unit = 0;
    qint32 barTicks() const;    // 0 for a metre the lessons do not know
    qint32 beatTicks() const;
};
Metre exerciseMetre(const NotationArrays& a);

// ---- The bar checks ----
// One group of written notes must fill exactly one bar: notes of a chord (same end and value)
// count once, and outside three-four a half note ending at 6144 ticks is a fault (it hides
// the middle of a four-four bar, or crosses a six-eight beat). With tips the group's notes are
// cleared first and faulty ones show "Incorrect note value."; without, only colours change.
// A metre without a bar length fails.
bool checkBarGroup(const NotationArrays& a, const std::vector<int>& group, qint32 pulses, qint32 unit, Tip tip);

// The loaded notes on staff `staff` (their Tag), with tool tips.
bool CheckNoteValues(const NotationArrays& a, const LoadedFlags& flags, int staff, qint32 pulses, qint32 unit);
// The same over the visible notes of the staff, colours only.
bool CheckRhythmOffsets(const NotationArrays& a, const LoadedFlags& flags, int staff, qint32 pulses,
                        qint32 unit);
// The visible notes of bar `bar` (1 = the first), found between its bar lines, colours only.
bool CollectRhythmPositions(const NotationArrays& a, const LoadedFlags& flags, int bar, qint32 pulses,
                            qint32 unit);

// Whether a rest of `value` ticks is wrong `inBeat` ticks into its beat, `previousRest` being the
// value of the rest just before it (0 after a note).
bool restIsWrong(qint32 inBeat, qint32 value, qint32 previousRest, const Metre& m);

// Rests on the beat grid, and the written music in whole bars: a faulty rest and every rest
// after it show "Incorrect rest values."; a bar that does not add up marks the time signature
// "Incorrect Rhythms", an unfinished last bar "Missing Rhythms". False on any fault, and for a
// metre without bar or beat length.
bool CalculateAddRest(const NotationArrays& a, const LoadedFlags& flags);

} // namespace lessons::written
