#pragma once
// The program's one MIDI output connection, owned by the main window: the device menu, open
// and close, and the four note operations everything that sounds goes through (question
// playback, chord players, metronome clicks, the on-screen piano and the drum pads).
// Each note event is one short message handed to the device; the port's note state and the
// device call are guarded together, since scheduled messages go out on another thread.
//
// How the main window drives it:
//   MidiPort port;                         // uses platform::MidiDevices::instance()
//   port.load();                           // window load: menu built, "MIDI Mapper" opened
//   for (i, name : port.deviceNames())     // build the "MIDI" menu: one item per name,
//       item(i).setChecked(port.isDeviceChecked(i));   // index i = mnuDevice index
//   on item i triggered:  port.mnuDevice_Click(i); then refresh the check marks
//   on "closemidi"/"openmidi": port.CloseMIDI() / port.OpenMIDI() (results may be ignored)
//   window unload: port.CloseMIDI()
// Callers set MidiChannel, MidiVelocity and MidiNoteOffset directly before they play.
//
// Timelines: a question is run into a timeline first and then played ahead of time, so its
// timing does not depend on the GUI thread while the window keeps painting:
//   port.beginCapture();                   // from here the note operations are recorded
//   sound::PlayMajorTriad(port, 0, 1, -1); // any sequence: StartNote, StopNote, SetChannel,
//   port.Wait(1000);                       //   the players; Wait adds time to the cursor
//   sound::Timeline t = port.endCapture(); // (time offset, message) pairs and the length
//   qint64 end = port.playTimeline(t);     // scheduled on the open device, returns at once
//   while (port.timelinePlaying()) ...     // or wait on platform::Clock until `end`
//   port.stopTimeline();                   // drops what is pending, note-offs for its notes
// While capturing nothing is sent; the note logic is the one of live sends (the channel a
// note-off goes to, the program change on channel 9, the range checks), run on a copy of the
// sounding notes, so the live state is as it was after endCapture. Without a capture,
// Wait sleeps on platform::Clock, so the same player code also plays live.
// playTimeline stops a timeline still playing first; its times are platform::Clock's
// monotonic ms from the moment of the call, and the returned end is that moment plus the
// timeline's length (also when no device is open and nothing is heard). Notes sent directly
// while a timeline plays go out as usual. CloseMIDI (and so a device change, "closemidi" and
// the window's unload) stops the timeline first.
#include "platform/midi/midiout.h"
#include "student/sound/devicemenu.h"

#include <QString>
#include <array>
#include <memory>
#include <mutex>
#include <vector>

namespace sound {

// A captured sequence: each message's time is its offset in ms from the start, in order;
// lengthMs is the time of all waits together (the sequence lasts that long).
struct Timeline {
    std::vector<platform::TimedMessage> messages;
    qint64 lengthMs = 0;
    bool empty() const { return messages.empty() && lengthMs == 0; }
};

// The keys of the on-screen piano as the port sees them: key k (0..36) is the piano window's
// check box key(k), value 1 = shown pressed, 0 = up. The piano window plugs its keys in with
// MidiPort::setPianoKeys; until then the port keeps the values itself.
class PianoKeys {
public:
    virtual ~PianoKeys() = default;
    virtual bool hasKey(int key) const = 0;
    virtual int value(int key) const = 0;
    virtual void setValue(int key, int value) = 0;
};

class PianoKeyValues : public PianoKeys {
public:
    static constexpr int KeyCount = 37;
    bool hasKey(int key) const override { return key >= 0 && key < KeyCount; }
    int value(int key) const override { return hasKey(key) ? values_[size_t(key)] : 0; }
    void setValue(int key, int value) override {
        if (hasKey(key)) values_[size_t(key)] = value;
    }

private:
    std::array<int, KeyCount> values_{};
};

class MidiPort {
public:
    static const QString ProgramTitle;          // caption of the port's message box
    static constexpr qint16 NoKey = -100;       // "no key" of the piano's key map
    static constexpr int PianoBaseKey = 48;     // piano key 0 sounds MIDI key 48 (C3)
    static constexpr qint16 PercussionChannel = 9;

    // devices: where outputs are listed and opened; nullptr = platform::MidiDevices::instance(),
    // looked up at each use (tests and benchmarks install a recorder there).
    explicit MidiPort(platform::MidiDevices* devices = nullptr);
    ~MidiPort();  // closes the output
    MidiPort(const MidiPort&) = delete;
    MidiPort& operator=(const MidiPort&) = delete;

    // The window-load steps: builds the device menu, chooses item 0 (opens the MIDI Mapper,
    // with the message when it fails), then MidiChannel 0, MidiNoteOffset 60, MidiVelocity 127.
    void load();

    // ---- device menu ("MIDI" menu, items mnuDevice(0..n)) ----
    // Lists the outputs again: item 0 "MIDI Mapper", item i the name of output device i - 1.
    // Check marks are cleared; load() and mnuDevice_Click set them.
    void buildDeviceMenu();
    QStringList deviceNames() const { return menu_.captions(); }
    bool isDeviceChecked(int index) const { return menu_.isChecked(index); }
    int checkedDevice() const { return menu_.checkedIndex(); }
    const DeviceMenu& deviceMenu() const { return menu_; }
    // The user chose item `index`: the old item loses its check mark, item index gets it,
    // MidiDeviceId becomes index - 1, the output is closed and opened on that device; a
    // failed open shows "Couldn't open midi out, rc = " & code (OK button, ProgramTitle).
    // Choosing the checked item again reopens the same device. An index outside the menu
    // does nothing.
    void mnuDevice_Click(int index);

    // ---- connection ----
    // Opens the chosen device (MidiDeviceId); returns the device's code, 0 = success. An
    // output that is still open is closed first. Shows nothing.
    qint32 OpenMIDI();
    // Closes the output; returns the device's code (MidiInvalidHandle when nothing is open).
    qint32 CloseMIDI();
    bool isOpen() const { return out_ != nullptr; }
    qint32 MidiDeviceId() const { return deviceId_; }

    // ---- notes ----
    // MidiChannel := channel (no range check here; notes are only sent on channels 0..15).
    void SetChannel(qint16 channel) { MidiChannel = channel; }
    // Note-on for key MidiNoteOffset + note on MidiChannel at MidiVelocity; on the
    // percussion channel first the program change 0xC9.
    void StartNote(qint16 note);
    // Note-off (velocity 0) for key MidiNoteOffset + note, on the channel whose note-on
    // sounds that key (the current channel when none does).
    void StopNote(qint16 note);
    // Piano key goes down: NoKey does nothing; a key already shown pressed does nothing;
    // otherwise the key is shown pressed and note-on for 48 + key is sent on MidiChannel at
    // MidiVelocity (no program change, MidiNoteOffset not used).
    void KeyStartNote(qint16 key);
    // Piano key goes up: NoKey does nothing; otherwise the key is shown up and note-off for
    // 48 + key is sent like StopNote's.
    void KeyStopNote(qint16 key);
    // Nothing at all is sent for a key outside 0..127, a channel outside 0..15 or a velocity
    // outside 0..127; piano keys the piano does not have are ignored.

    // StartNote and StopNote on a channel given with the note (the metronome's click and the
    // drum pad on 9): the message carries the channel, MidiChannel is neither read nor
    // changed, so notes that others send meanwhile keep their own channel. On 9 the note-on
    // is preceded by the program change 0xC9 as StartNote's. Safe from any thread.
    void StartChannelNote(qint16 channel, qint16 note);
    void StopChannelNote(qint16 channel, qint16 note);

    qint16 MidiChannel = 0;      // 0-based channel of the note operations; 9 = percussion
    qint16 MidiVelocity = 127;   // velocity of every note-on
    qint16 MidiNoteOffset = 60;  // MIDI key of note 0 for StartNote/StopNote (middle C)

    void setPianoKeys(PianoKeys* keys);  // nullptr: the port's own values
    PianoKeys& pianoKeys() { return keys_ ? *keys_ : ownKeys_; }

    // ---- timeline (see the top of this file) ----
    // Starts recording the note operations at cursor 0 (a capture already running is
    // discarded).
    void beginCapture();
    bool isCapturing() const;
    // Ends the capture and returns what was recorded (empty when none was running).
    Timeline endCapture();
    // Capturing: adds ms to the cursor. Otherwise: sleeps ms on platform::Clock. ms <= 0: nothing.
    void Wait(int ms);
    // Schedules the timeline on the open device from now; returns the monotonic ms at which
    // it ends. A timeline still playing is stopped first.
    qint64 playTimeline(const Timeline& timeline);
    // A timeline was started, is not stopped and has not reached its end.
    bool timelinePlaying() const;
    // Drops what is still pending of the timeline and sends a note-off for every note it
    // started that had not stopped. Nothing happens when none plays.
    void stopTimeline();

private:
    using Sounding = std::array<std::vector<qint8>, 128>;
    platform::MidiDevices& devices() const;
    void send(quint32 message);
    bool noteOn(int key, int channel);
    void noteOff(int key, int channel);
    void forgetSounding();
    void stopTimelineLocked();
    qint32 closeLocked();

    platform::MidiDevices* devices_;
    std::unique_ptr<platform::MidiOut> out_;
    qint32 deviceId_ = platform::MidiDevices::Mapper;
    DeviceMenu menu_;
    PianoKeys* keys_ = nullptr;
    PianoKeyValues ownKeys_;
    // Per MIDI key, the channels of its note-ons not yet stopped (in order), so a note-off
    // reaches the channel its note-on used even when the channel was changed in between.
    Sounding sounding_;

    mutable std::recursive_mutex mutex_;  // the note state and the device call together
    // Capture: the live sounding table waits here while the capture works on a copy.
    bool capturing_ = false;
    Sounding liveSounding_;
    Timeline captured_;
    // The timeline on the device: its messages at their due times and its end.
    std::vector<platform::TimedMessage> playing_;
    qint64 playingEnd_ = 0;
    bool timelineActive_ = false;
};

} // namespace sound
