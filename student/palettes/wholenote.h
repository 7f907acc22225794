#pragma once
// The notes palette's CreateWholeNote: a new note at the first free place of a row of places
// (any control array whose elements stand where the notes go).
#include "student/lessons/lessoncontext.h"
#include "student/staff/staffmath.h"

namespace palettes {

// Loads a note `Offset` twips right of the first place no loaded note stands on. The result
// and `NewIndex` are the new element, or 0 when none was made (no place left or no room);
// with no places at all the result is 0 and `NewIndex` is left as it was.
template <class Places>
int CreateWholeNote(lessons::LessonContext& ctx, int& NewIndex, Places& places, lessons::ElementArray& notes,
                    int Limit, double Offset) {
    constexpr int kColNotes = 2;
    auto& flags = ctx.LoadedFlags;
    const int placeCount = places.ubound();
    if (placeCount <= 0) return 0;
    bool free = false;
    for (int i = 1; i <= placeCount && !free; ++i) free = !flags.get(kColNotes, i);
    if (!free && !(notes.ubound() < Limit)) {
        NewIndex = 0;
        return 0;
    }
    std::vector<double> placeLefts, noteLefts;
    for (int j = 1; j <= placeCount; ++j) placeLefts.push_back(places.exists(j) ? places.Left(j) : 0.0);
    // Every loaded note takes its place, however many places there are.
    for (int i = 1; i <= notes.ubound(); ++i)
        if (flags.get(kColNotes, i) && notes.exists(i)) noteLefts.push_back(notes.Left(i));
    const int j = staffedit::firstFreePlace(placeLefts, noteLefts, Offset);
    NewIndex = 0;
    if (j == 0 || !places.exists(j)) return 0;
    int slot = 0;
    for (int i = 1; i <= notes.ubound() + 1 && i <= 200 && !slot; ++i)
        if (!flags.get(kColNotes, i)) slot = i;
    if (!slot || notes.exists(slot) || !notes.load(slot)) return 0;
    flags.set(kColNotes, slot, true);
    lessons::put(notes[slot], "Enabled", true);
    notes.setLeft(slot, places.Left(j) + Offset);
    notes.ZOrder(slot, 0);
    notes.setVisible(slot, true);
    NewIndex = slot;
    return slot;
}

} // namespace palettes
