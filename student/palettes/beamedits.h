#pragma once
// The misc palette's operations on notes that are already beamed, on tuplet numbers and on
// tone-step labels: notes chosen with the beam-group check boxes made one value shorter or
// longer with their beam brought into line, a tuplet number put over a beam or taken away, and
// "WT" / "CS" / "DS" labels beside the lines of a step diagram. No button calls them yet; a
// caller passes the arrays.
#include "student/lessons/lessoncontext.h"

#include <vector>

namespace palettes {

// The number shown over a beam of notes with these durations (ticks): the group counted in
// its shortest value, halved when it halves evenly.
int tupletNumber(const std::vector<int>& ticks);
// Where a beam's label stands: the middle of its first and last stems on the 15-twip grid.
double beamCentre(double firstStem, double lastStem);

class BeamEdits {
public:
    explicit BeamEdits(lessons::LessonContext& ctx) : ctx_(ctx) {}

    // The lowest loaded beam that holds an item at the note's stem, 0 when none.
    int FindNoteBeam(lessons::ElementArray& beams, QObject* note);

    // The chosen notes one value shorter; their beam's lines follow, or two or more unbeamed
    // notes get a new beam. Nothing when `guard` holds only its template.
    void BeamAddEx(lessons::ElementArray& guard, lessons::CheckBoxArray& checks, lessons::ElementArray& beams,
                   lessons::ElementArray& notes);
    // The chosen notes one value longer; a beam over them is dissolved into quarters, its
    // tuplet label in `labels` removed with it.
    void BeamRemoveEx(lessons::CheckBoxArray& checks, lessons::ElementArray& beams, lessons::ElementArray& notes,
                      lessons::LabelArray& labels);

    // The tuplet number over the beam of the first ticked note: placed, or taken away when
    // one stands there.
    void AddTuplet(lessons::ElementArray& guard, lessons::CheckBoxArray& checks, lessons::ElementArray& beams,
                   lessons::ElementArray& notes, lessons::LabelArray& labels);
    // The same over the beam that starts at the leftmost selected note; the beam's notes are
    // deselected after.
    void Tuplit(lessons::ElementArray& guard, lessons::ElementArray& beams, lessons::ElementArray& notes,
                lessons::LabelArray& labels, int column = 6);

    // A "WT" (1), "CS" (2) or "DS" (3) label 200 twips right of the start of the first line
    // of `lines` that has none, above line 0's row.
    void AddToneLabel(int kind, lessons::LineArray& lines, lessons::ElementArray& guard, lessons::LabelArray& labels);

private:
    // The notes over the ticked boxes, in box order; false after a refusal message.
    bool chosenNotes(lessons::CheckBoxArray& checks, lessons::ElementArray& notes, std::vector<int>& chosen);
    // The common beam of the chosen notes (0: none); false after a refusal message.
    bool commonBeam(lessons::ElementArray& beams, lessons::ElementArray& notes, const std::vector<int>& chosen,
                    int& beam);
    // Loaded notes whose stem stands at `stem`.
    std::vector<int> notesAt(lessons::ElementArray& notes, int stem);
    // Removes the tuplet label over beam `b`, or places one; `labels` keep column 1.
    void toggleTupletLabel(lessons::ElementArray& beams, int b, lessons::ElementArray& notes,
                           lessons::LabelArray& labels);
    static void resetChecks(lessons::CheckBoxArray& checks);

    lessons::LessonContext& ctx_;
};

} // namespace palettes
