#pragma once
// What the lessons and the music helpers ask of the staff notation editor. The editor
// replaces these stand-ins with its own.
#include "notationarrays.h"

#include <QString>
#include <optional>

namespace lessons {

class StaffSeam {
public:
    virtual ~StaffSeam() = default;
    // Moves note `index` of `notes` by (dx, dy) twips with its vertical snap and gives the
    // staff step it then stands on (0 = a head on the staff's bottom line, +1 per 75 twips
    // up); `staffIndex` receives the StaffLines element it stands on. With dx = dy = 0 it only
    // reads. Stand-in: the step of the note's Top against its staff (Tag), without moving.
    virtual qint16 NoteMouseMove(int index, double dx, double dy, ElementArray& notes, int& staffIndex);
    // The letter "A".."G" of a staff step for the clef on that staff. Stand-in: by the clef's
    // Clef value (0 treble, 1 bass, 2 alto, 3 tenor), counting from the bottom line.
    virtual QString AdjustNoteToStaff(QObject* clef, qint16 step, int staffIndex);
    // Puts a beam-group check box under every note of `notes` that may start a beam group,
    // `offset` twips right of it. Stand-in: none.
    virtual void AddCheckBoxesToNotes(ElementArray& notes, qint32 offset) { (void)notes; (void)offset; }

    // ---- Writing from program code (lesson 7's builder, the piano and drum capture) ----
    // The staff click's adder with the caller's arguments: the symbol of the pressed palette
    // tool written on staff element `Index`. Stand-in: nothing is written.
    virtual void AddSymbolToStaff(qint16 Index, qint32 Y, qint16 MaxSymbols, qint32 SlotWidth, qint32 LeftOffset,
                                  qint32 Flags, qint32 KeyLeftOffset, std::optional<qint32> QuarterWidth = {},
                                  std::optional<bool> CorrectSpacing = {}, std::optional<bool> PlaceBySlots = {},
                                  std::optional<int> TemplateNote = {}) {
        (void)Index, (void)Y, (void)MaxSymbols, (void)SlotWidth, (void)LeftOffset, (void)Flags, (void)KeyLeftOffset;
        (void)QuarterWidth, (void)CorrectSpacing, (void)PlaceBySlots, (void)TemplateNote;
    }
    // Selects or deselects note `Index` for beaming; false when it was refused (a selected
    // note in another bar, shown unless `Quiet`). Stand-in: refused.
    virtual bool ToggleNoteColorEx(qint16 Index, bool Quiet = false) { (void)Index, (void)Quiet; return false; }
    // A slur or tie from note `note` on staff `Bar` (Direction -1 curves up). Stand-in: none.
    virtual void AddSlur(qint32 Direction, qint16 Bar, ElementArray& Staffs, int note, ElementArray& Phrases,
                         int Limit) {
        (void)Direction, (void)Bar, (void)Staffs, (void)note, (void)Phrases, (void)Limit;
    }

    // Every note of the beam that holds note `Index` changes between selected and not.
    // Stand-in: none.
    virtual void ToggleBeamColor(qint16 Index, ElementArray& Notes, ElementArray& Beams, int Column = 3) {
        (void)Index, (void)Notes, (void)Beams, (void)Column;
    }

    // The arrays the stand-ins read (set by the main window).
    NotationArrays* arrays = nullptr;
};

} // namespace lessons
