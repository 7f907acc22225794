#pragma once
// The building blocks of question playback on the MIDI port: the metronome click, the
// reference chords of the cadences (started and stopped by separate calls, so the caller
// decides how long they sound), the key-setting tonic arpeggio and one player per chord
// quality of the chord lesson, each holding its chord two seconds.
//
// Notes are 16-bit numbers relative to the port's MidiNoteOffset (60 after load). The players
// wait through MidiPort::Wait, so run inside a capture they build a timeline and run live they
// sleep. Only PlayStartChord writes MidiVelocity (it leaves 75); every other player sounds at
// the velocity it finds. A note whose number leaves the 16-bit range is not sent.
#include "student/sound/midiport.h"

namespace sound {

// One click: channel 9, key 75 (after the program change StartNote sends there), note-off at
// once, channel back to 0.
void Metronome(MidiPort& port);

// Reference chord of a cadence: top note n and the voices n - a, n - b, n - c of the voicing
// (kind 1 major, 2 minor, 5 dominant seventh; position 0..2, 0..3 for kind 5; a low flag not 0
// puts the bass an octave lower). Any other kind or position sounds n four times.
// Start: the upper three at velocity 100, the bass at 127, then MidiVelocity is left at 75.
void PlayStartChord(MidiPort& port, qint16 n, qint16 position, qint16 kind, qint16 low);
// Note-off of the same four voices; the velocity is left alone.
void PlayStopChord(MidiPort& port, qint16 n, qint16 position, qint16 kind, qint16 low);

// The major triad on t broken, then together, with six clicks a second apart (six seconds).
void PlayTonicArpeggio(MidiPort& port, qint16 t);

// Triads held two seconds. inversion is taken mod 3; doubledTop not 0 adds the lowest tone
// of the voicing an octave higher, above the others.
void PlayMajorTriad(MidiPort& port, qint16 t, qint16 inversion, qint16 doubledTop);
void PlayMinorTriad(MidiPort& port, qint16 t, qint16 inversion, qint16 doubledTop);
void PlayDiminishedTriad(MidiPort& port, qint16 t);
void PlayAugmentedTriad(MidiPort& port, qint16 t);

// Seventh chords held two seconds. Inversion v (taken as 0..3): the root is raised an octave
// from v 1, the third from v 2, the fifth at v 3; the seventh never.
void PlayDominantSeventh(MidiPort& port, qint16 t, qint16 inversion);
void PlayMinorSeventh(MidiPort& port, qint16 t, qint16 inversion);
void PlayMajorSeventh(MidiPort& port, qint16 t, qint16 inversion);
void PlayDiminishedSeventh(MidiPort& port, qint16 t);

} // namespace sound
