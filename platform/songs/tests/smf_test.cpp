#include "platform/songs/smf.h"
#include "platform/songs/tunes.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace platform;

TEST(Smf, VariableLengthQuantities) {
    const std::map<uint32_t, std::vector<uint8_t>> cases = {
        {0, {0x00}},           {0x40, {0x40}},             {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},  {0x2000, {0xC0, 0x00}},     {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},                      {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& [value, bytes] : cases) EXPECT_EQ(smfVarLen(value), bytes) << value;
}

TEST(Smf, FileAndTrackBytes) {
    SmfFile file(96);
    SmfTrack& t = file.addTrack();
    t.note(0, 96, 0, 60, 100);
    t.note(96, 96, 0, 60, 90);   // same key again right after: its note-off must come first
    t.program(0, 0, 19);
    const std::vector<uint8_t> bytes = file.encode();
    const std::vector<uint8_t> expected = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96,
        'M', 'T', 'r', 'k', 0, 0, 0, 23,
        0x00, 0xC0, 19,            // program before the note at the same tick
        0x00, 0x90, 60, 100,
        0x60, 0x80, 60, 0x40,      // off before the next on
        0x00, 0x90, 60, 90,
        0x60, 0x80, 60, 0x40,
        0x00, 0xFF, 0x2F, 0x00,
    };
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(file.endTick(), 192u);
}

TEST(Tunes, PitchNames) {
    const std::map<std::string, int> cases = {
        {"C4", 60}, {"C#4", 61}, {"Db4", 61}, {"Ab2", 44}, {"B3", 59}, {"Cb4", 59},
        {"F#4", 66}, {"C2", 36}, {"G9", 127}, {"A0", 21},
        {"H4", -1}, {"C", -1}, {"C#", -1}, {"Cx4", -1}, {"", -1}, {"G#9", -1},
    };
    for (const auto& [name, key] : cases) EXPECT_EQ(pitchKey(name), key) << name;
}

TEST(Tunes, VoicesAreCheckedBarByBar) {
    std::vector<VoiceNote> notes;
    std::string error;
    ASSERT_TRUE(parseVoice("v90 C4:2 E4+G4:2 | r:3 G4:1 |", 100, 4, &notes, &error)) << error;
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[1].tick, 200u);
    EXPECT_EQ(notes[2].tick, 200u);  // chord tones start together
    EXPECT_EQ(notes[2].key, 67);
    EXPECT_EQ(notes[3].tick, 700u);
    EXPECT_EQ(notes[0].velocity, 90);
    EXPECT_EQ(notes[0].length, 190u);  // detached by a small gap
    EXPECT_EQ(notes[3].length, 100u);  // the last note sounds its whole length

    struct Bad { const char* text; const char* why; };
    for (const Bad& b : {Bad{"C4:2 D4:1 |", "does not hold"}, Bad{"C4:2 Q4:2 |", "bad pitch"},
                         Bad{"C4 |", "no length"}, Bad{"v200 C4:4 |", "velocity"}, Bad{"C4:0", "bad length"}}) {
        EXPECT_FALSE(parseVoice(b.text, 100, 4, &notes, &error)) << b.text;
        EXPECT_NE(error.find(b.why), std::string::npos) << b.text << ": " << error;
    }
}

namespace {
std::vector<VoiceNote> voiceOf(const Tune& t, const std::string& name) {
    for (const TuneVoice& v : t.voices)
        if (v.name == name) {
            std::vector<VoiceNote> notes;
            std::string error;
            EXPECT_TRUE(parseVoice(v.notes, t.unitTicks, t.barUnits, &notes, &error)) << error;
            return notes;
        }
    ADD_FAILURE() << "no voice " << name;
    return {};
}
std::vector<VoiceNote> between(const std::vector<VoiceNote>& notes, uint32_t from, uint32_t to) {
    std::vector<VoiceNote> out;
    for (const VoiceNote& n : notes)
        if (n.tick >= from && n.tick < to) out.push_back(n);
    return out;
}
} // namespace

// The fugue's exposition as a musician would check it: the alto's subject, the soprano's
// answer a fifth higher (tonal: its second note answers the subject's leap to the dominant
// with a fourth), the bass's subject an octave below the alto's, all in the subject's
// rhythm; the voices close on a C major chord.
TEST(Tunes, FugueExposition) {
    const Tune fugue = fugue7Tune();
    EXPECT_EQ(fugue.voices.size(), 3u);
    const uint32_t bar = fugue.unitTicks * fugue.barUnits;
    const auto subject = between(voiceOf(fugue, "Alto"), 0, 2 * bar);
    const auto answer = between(voiceOf(fugue, "Soprano"), 2 * bar, 4 * bar);
    const auto bass = between(voiceOf(fugue, "Bass"), 4 * bar, 6 * bar);
    ASSERT_EQ(subject.size(), 12u);
    ASSERT_EQ(answer.size(), subject.size());
    ASSERT_EQ(bass.size(), subject.size());
    EXPECT_EQ(subject.front().key, 60);  // on the tonic, C
    for (size_t i = 0; i < subject.size(); ++i) {
        EXPECT_EQ(answer[i].tick - 2 * bar, subject[i].tick) << i;
        EXPECT_EQ(answer[i].key - subject[i].key, i == 1 ? 5 : 7) << i;
        EXPECT_EQ(bass[i].tick - 4 * bar, subject[i].tick) << i;
        EXPECT_EQ(bass[i].key - subject[i].key, -12) << i;
    }
    // Final chord: C, E natural (the major third), G.
    std::set<int> last;
    for (const char* v : {"Soprano", "Alto", "Bass"})
        for (const VoiceNote& n : between(voiceOf(fugue, v), 8 * bar, 9 * bar)) last.insert(n.key % 12);
    EXPECT_EQ(last, std::set<int>({0, 4, 7}));
}

TEST(Tunes, BothBuildIntoFiles) {
    for (const Tune& t : {fugue7Tune(), doneTune()}) {
        SmfFile file;
        std::string error;
        ASSERT_TRUE(buildSmf(t, &file, &error)) << t.name << ": " << error;
        EXPECT_EQ(file.tracks().size(), t.voices.size() + 1);
    }
    SmfFile fugue;
    ASSERT_TRUE(buildSmf(fugue7Tune(), &fugue, nullptr));
    EXPECT_EQ(fugue.endTick(), 9u * 1920u);  // 9 bars of 4/4
}

TEST(SmfRead, TheTunesReadBackWithTheirTimes) {
    struct Case { Tune tune; uint32_t endTick; double ms; };
    for (const Case& c : {Case{fugue7Tune(), 9 * 1920, 15000}, Case{doneTune(), 3360, 3500}}) {
        SmfFile file;
        ASSERT_TRUE(buildSmf(c.tune, &file, nullptr));
        SmfSong song;
        std::string why;
        ASSERT_TRUE(readSmf(file.encode(), &song, &why)) << why;
        EXPECT_EQ(song.endTick, c.endTick) << c.tune.name;
        EXPECT_NEAR(song.lengthMs, c.ms, 0.5) << c.tune.name;
        size_t notes = 0, programs = 0;
        for (const auto& e : song.events) {
            notes += (e.message & 0xF0) == 0x90;
            programs += (e.message & 0xF0) == 0xC0;
        }
        size_t written = 0;
        for (const TuneVoice& v : c.tune.voices) {
            std::vector<VoiceNote> n;
            parseVoice(v.notes, c.tune.unitTicks, c.tune.barUnits, &n, nullptr);
            written += n.size();
        }
        EXPECT_EQ(notes, written) << c.tune.name;
        EXPECT_EQ(programs, c.tune.voices.size()) << c.tune.name;
        for (size_t i = 1; i < song.events.size(); ++i) ASSERT_LE(song.events[i - 1].tick, song.events[i].tick);
    }
}

// Running status, a tempo change halfway, a system exclusive event skipped.
TEST(SmfRead, TempoMapAndRunningStatus) {
    const std::vector<uint8_t> bytes = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 100,
        'M', 'T', 'r', 'k', 0, 0, 0, 27,
        0x00, 0xF0, 0x02, 0x7E, 0xF7,          // system exclusive: skipped
        0x00, 0x90, 60, 100,                   // note-on at 0
        0x64, 62, 90,                          // running status: tick 100 (500 ms at 120 bpm)
        0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // tempo 1 000 000 us a quarter from tick 100
        0x64, 0x80, 60, 0,                     // tick 200: 500 + 1000 ms
        0x00, 0xFF, 0x2F, 0x00,
    };
    SmfSong song;
    std::string why;
    ASSERT_TRUE(readSmf(bytes, &song, &why)) << why;
    ASSERT_EQ(song.events.size(), 3u);
    EXPECT_EQ(song.events[1].message, 0x5A3E90u);
    EXPECT_DOUBLE_EQ(song.events[1].ms, 500);
    EXPECT_DOUBLE_EQ(song.events[2].ms, 1500);
    EXPECT_EQ(song.endTick, 200u);
    EXPECT_DOUBLE_EQ(song.lengthMs, 1500);
    EXPECT_EQ(song.tickAt(1000), 150u);
    EXPECT_EQ(song.tickAt(250), 50u);
}

// A tempo change on every beat, as a recorded performance's map has, and notes between the
// changes that run across the next one: every event lands at the time that a sum over the map
// gives, and the file is read in one pass, looking at about one entry of the map for each event
// and change. (A reader that searched the map from its start for each event would look at about
// events x changes / 2 of them; the look-up counts each entry it looks at.)
TEST(SmfRead, ATempoChangeOnEveryBeatIsReadInOnePass) {
    constexpr uint32_t Beats = 2000, Beat = 480;
    auto tempoOf = [](uint32_t beat) { return 400000u + beat % 5 * 50000u; };
    SmfFile file(Beat);
    file.addTrack();
    file.addTrack();
    struct Note { uint32_t on, off; int key; };
    std::vector<Note> notes;
    for (uint32_t k = 0; k < Beats; ++k) {
        file.tracks()[0].tempo(k * Beat, tempoOf(k));
        const Note n{k * Beat + Beat / 3, k * Beat + Beat / 3 + Beat * 3 / 4 + k % 3 * 7, 60 + int(k % 12)};
        file.tracks()[1].note(n.on, n.off - n.on, 0, n.key, 100);
        notes.push_back(n);
    }
    // The time of a tick, summed over the map's stretches from the start.
    auto msOf = [&](uint32_t tick) {
        double ms = 0;
        uint32_t from = 0, us = 500000;
        for (uint32_t k = 0; k < Beats && k * Beat <= tick; ++k) {
            ms += double(k * Beat - from) * us / 1000.0 / Beat;
            from = k * Beat;
            us = tempoOf(k);
        }
        return ms + double(tick - from) * us / 1000.0 / Beat;
    };
    SmfSong song;
    SmfReadCost cost;
    std::string why;
    ASSERT_TRUE(readSmf(file.encode(), &song, &why, &cost)) << why;
    ASSERT_EQ(song.events.size(), 2 * Beats);
    EXPECT_LE(cost.tempoLookups, 2 * (song.events.size() + Beats));
    for (uint32_t k = 0; k < Beats; ++k) {
        const SmfSong::Event &on = song.events[2 * k], &off = song.events[2 * k + 1];
        ASSERT_EQ(on.message, 0x640090u | uint32_t(notes[k].key) << 8) << "note " << k;
        ASSERT_EQ(off.message, 0x400080u | uint32_t(notes[k].key) << 8) << "note " << k;
        ASSERT_NEAR(on.ms, msOf(notes[k].on), 1e-6) << "note-on " << k;
        ASSERT_NEAR(off.ms, msOf(notes[k].off), 1e-6) << "note-off " << k;
    }
    EXPECT_NEAR(song.lengthMs, msOf(notes.back().off), 1e-6);
}

TEST(SmfRead, RefusesWhatItCannotPlay) {
    auto header = [](uint8_t format, uint16_t division) {
        return std::vector<uint8_t>{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, format, 0, 1, uint8_t(division >> 8), uint8_t(division)};
    };
    auto withTrack = [](std::vector<uint8_t> b, std::vector<uint8_t> body) {
        b.insert(b.end(), {'M', 'T', 'r', 'k', 0, 0, 0, uint8_t(body.size())});
        b.insert(b.end(), body.begin(), body.end());
        return b;
    };
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96},
        header(2, 96),                                           // sequences of patterns
        header(0, 0xE728),                                       // time-code division
        header(0, 96),                                           // no track
        withTrack(header(0, 96), {0x00, 60, 100}),               // data without a status
        withTrack(header(0, 96), {0x00, 0x90, 60}),              // short note
        withTrack(header(0, 96), {0x81}),                        // delta time cut off
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        SmfSong song;
        EXPECT_FALSE(readSmf(bad[i], &song)) << "case " << i;
    }
}
