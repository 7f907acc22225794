#pragma once
// Beams over selected notes (the misc palette's beam commands): BeamIt joins the selected
// eighths and shorter of one bar under a new beam, UnBeamIt takes the beam of the selected
// group away again, and BeamAdd / BeamRemove do the same for notes chosen with the beam-group
// check boxes.
#include "student/lessons/lessoncontext.h"

namespace palettes {

class Beaming {
public:
    explicit Beaming(lessons::LessonContext& ctx) : ctx_(ctx) {}

    // True when a beam was made. The refusals show their message unless `silent`.
    bool BeamIt(lessons::ElementArray& staves, lessons::ElementArray& beams, lessons::ElementArray& notes,
                int column = 6, bool silent = false);
    void UnBeamIt(lessons::ElementArray& staves, lessons::ElementArray& beams, lessons::ElementArray& notes,
                  lessons::LabelArray& labels, int column = 6);
    void BeamAdd(lessons::ElementArray& staves, lessons::CheckBoxArray& boxes, lessons::ElementArray& beams,
                 lessons::ElementArray& notes, int column = 6);
    void BeamRemove(lessons::ElementArray& staves, lessons::CheckBoxArray& boxes, lessons::ElementArray& beams,
                    lessons::ElementArray& notes, lessons::LabelArray& labels, int column = 6);

private:
    friend class BeamEdits;   // lays its new beams the same way
    // Loads a new beam over `run` (left to right) with its highest note `top`; false when no
    // beam index is free.
    bool makeBeam(lessons::ElementArray& beams, lessons::ElementArray& notes, const std::vector<int>& run, int top,
                  int column, bool deselect, bool setWidth);
    // The label centred over beam `b`, unloaded.
    void dropLabelOver(lessons::ElementArray& beams, int b, lessons::LabelArray& labels);
    // The notes under ticked boxes, in box order; false after the order message.
    bool tickedNotes(lessons::CheckBoxArray& boxes, lessons::ElementArray& notes, std::vector<int>& chosen,
                     bool stopAtFirst);

    lessons::LessonContext& ctx_;
};

} // namespace palettes
