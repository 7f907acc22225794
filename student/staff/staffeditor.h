#pragma once
// The staff notation editor of the main window: a click on a staff writes the symbol of the
// armed palette tool (notes, rests, clefs, key-signature accidentals, time signatures), a click
// on a note edits, selects, drags or erases it, key signatures are dragged and dropped on the
// 75-twip grid with the time signature following, slurs and ties are laid over notes, and the
// leger-line preview follows the pointer above and below the staff.
//
// It works on the lesson context's element arrays through their twips records and keeps no
// state of its own beyond the walking index and the tenor flag: selection is the notes'
// colour, the armed tool is the palettes' tool state, the drag is the exercise state's.
#include "student/lessons/lessoncontext.h"

#include <QString>
#include <functional>
#include <optional>

namespace staffedit {

// A selected note or beam group.
constexpr quint32 kSelected = 0xFF00FF;

// Flags word of AddSymbolToStaff: the kinds a staff allows.
enum SymbolFlags {
    AllowNotes = 1, AllowKeySignature = 2, AllowClefs = 4, AllowTimeSignature = 8, AllowRests = 16,
};

// The optional tail of EditNoteSymbol that its callers set.
struct EditOptions {
    lessons::ElementArray* chords = nullptr;   // the Roman-numeral tools need it
    lessons::ElementArray* slurs = nullptr;    // the slur tools hand it to AddSlur
    int slurLimit = 0;
    bool force = false;            // apply the tools even with both palettes hidden
    bool dotBookkeeping = true;    // a new dot lengthens the note's RhythmicOffset
};

class StaffEditor : public lessons::StaffSeam {
public:
    explicit StaffEditor(lessons::LessonContext& ctx);

    // Connects the mouse events of every element that the staves', notes', key signatures',
    // slurs' and time signatures' arrays load from now on (builders load them too).
    void wire();
    // The lesson title box that AdjustNoteToStaff searches for "tenor".
    void setLessonName(std::function<QString()> f) { lessonName_ = std::move(f); }

    // ---- Staff events ----
    void StaffLines_MouseDown(int Index, int x, int y);
    void StaffLines_MouseMove(int Index, int x, int y);
    void ShowLegerLines(double x, double y, lessons::LineArray& lnLeger, int staffIndex);

    // ---- Adding symbols ----
    // TemplateNote: the NoteSymbol element whose position and dots the new note takes
    // (0, the template note, for clicks and played input), or none.
    void AddSymbolToStaff(qint16 Index, qint32 Y, qint16 MaxSymbols, qint32 SlotWidth, qint32 LeftOffset,
                          qint32 Flags, qint32 KeyLeftOffset, std::optional<qint32> QuarterWidth = {},
                          std::optional<bool> CorrectSpacing = {}, std::optional<bool> PlaceBySlots = {},
                          std::optional<int> TemplateNote = {}) override;
    // The index of the new note, 0 when nothing was added.
    qint16 AddNoteToStaff(qint16 Index, float Y, lessons::ElementArray& StaffLines,
                          lessons::ElementArray& NoteSymbol, qint16 MaxSymbols, qint32 LeftOffset,
                          qint32 SlotWidth, std::optional<int> TemplateNote = {},
                          std::optional<qint32> QuarterWidth = {}, std::optional<qint32> EndLimit = {},
                          std::optional<bool> CorrectSpacing = {}, std::optional<bool> PlaceBySlots = {},
                          std::optional<int> StemFilter = {});
    qint16 AddRestToStaff(qint16 Index, lessons::ElementArray& StaffLines, lessons::ElementArray& NoteSymbol,
                          qint16 MaxSymbols, qint32 LeftOffset, std::optional<qint32> SlotWidth = {},
                          std::optional<int> TemplateRest = {}, std::optional<qint32> QuarterWidth = {},
                          std::optional<qint32> EndLimit = {});
    void AddClefToStaff(qint16 Index, float Y, lessons::ElementArray& StaffLines, lessons::ElementArray& ClefSymbol);
    void AddAccidentalToStaff(qint16 Index, float Y, lessons::ElementArray& StaffLines,
                              lessons::ElementArray& KeySign, qint32 KeyLeftOffset);
    void AddMetreToStaff(qint16 Index, float Y, lessons::ElementArray& StaffLines, lessons::ElementArray& tmMeter,
                         lessons::ElementArray& KeySign);
    // `note` is the NoteSymbol element the label belongs to.
    void AddRomanNumeralToStaff(qint16 Index, lessons::ElementArray& Staffs, int note,
                                lessons::ElementArray& Romans, int MaxLabels);

    // ---- Notes: selection, colours, erasing ----
    void NoteSymbol_MouseDown(int Index, int X, int Y);
    void NoteSymbol_MouseMove(int Index, int X, int Y);
    void NoteSymbol_MouseUp(int Index, int X, int Y);
    void PhraseMark_MouseDown(int Index, int X, int Y);
    void tmMeter_MouseDown(int Index, int X, int Y);
    bool ToggleNoteColor(qint16 Index, bool Quiet = false);
    bool ToggleNoteColorEx(qint16 Index, bool Quiet = false) override;
    void ToggleBeamColor(qint16 Index, lessons::ElementArray& Notes, lessons::ElementArray& Beams, int Column = 3) override;
    bool IsBeamed(qint16 Index, lessons::ElementArray& Beams, int Column, bool CheckFlags = true);
    void EraseSymbol(qint16 Index, lessons::ElementArray& Arr, int Column);

    // ---- Editing by tool ----
    void EditNoteSymbol(qint16 Index, qint32 X, qint32 Y, lessons::ElementArray& Staffs,
                        lessons::ElementArray& Notes, const EditOptions& options = {});

    // ---- Check boxes and walking ----
    void AddCheckBoxesToNotes(lessons::ElementArray& Notes, qint32 Offset, std::optional<int> Bar, int Column = 3,
                              int Span = 20);
    void AddCheckBoxesToNotes(lessons::ElementArray& notes, qint32 offset) override {
        AddCheckBoxesToNotes(notes, offset, std::nullopt);
    }
    qint16 NextControl(lessons::ElementArray& Arr, int Column);
    void FrameControl(lessons::ElementArray& Arr, int index);
    qint16 CurrentControl = 0;

    // ---- Dragging and snapping ----
    void KeySign_MouseDown(int Index, int X, int Y);
    void KeySign_MouseMove(int Index, int X, int Y);
    void KeySign_MouseUp(int Index, int X, int Y);
    void BeginKeySignDrag(qint16 Index, qint32 X, qint32 Y, lessons::ElementArray& Staffs,
                          lessons::ElementArray& KeySigns);
    void BeginSymbolDrag(qint16 Index, float X, float Y, lessons::ElementArray& Arr, int Column);
    void DropKeySignature(qint16 Index, qint32 X, qint32 Y, lessons::ElementArray& Staffs,
                          lessons::ElementArray& KeySigns, qint16 Offset);
    void RealignStaffSymbols(qint16 StaffIndex, lessons::ElementArray& Staffs, lessons::ElementArray& Metres,
                             lessons::ElementArray& KeySigns);
    // Fits note `Index` onto staff `staff` (a StaffLines index) and gives its step.
    qint16 NoteMouseMove(qint16 Index, float X, float Y, lessons::ElementArray& Notes, int staff);
    QString AdjustNoteToStaff(QObject* clef, qint16 step, int staffIndex) override;
    qint16 NoteMouseMove(int index, double dx, double dy, lessons::ElementArray& notes, int& staffIndex) override;
    bool TenorClef = false;

    // ---- Slurs and the drag flag ----
    void AddSlur(qint32 Direction, qint16 Bar, lessons::ElementArray& Staffs, int note,
                 lessons::ElementArray& Phrases, int Limit) override;
    void SetMouseDown(int Flag);

    // The beam removal the note eraser calls (the misc palette's UnBeamIt).
    std::function<void()> unBeamSelected;

    // ---- Shared bookkeeping ----
    // The lowest index of `arr` not marked in `column`, marked at once; 0 when the array is
    // full or that index is loaded but unmarked (loading it again would fail).
    int claimIndex(lessons::ElementArray& arr, int column);
    // Claims an index of `arr` and loads it at the back of the stacking; 0 (the claim let go)
    // when there is none or it cannot be loaded.
    int loadFreeElement(lessons::ElementArray& arr, int column);
    // Loaded elements of `arr` (marked in `column`) whose Tag is the staff index.
    int countOnStaff(const lessons::ElementArray& arr, int column, int staff) const;
    // Moves the RhythmicOffset of the staff's notes at or after `left` (after, unless
    // `inclusive`) by `delta`: a note's offset counts every note before it.
    void shiftOffsetsAfter(int staff, double left, bool inclusive, int exclude, int delta);

private:
    lessons::ToolState& tools() { return ctx_.state.tools; }
    bool pressed(const char* palette, int button) const { return ctx_.state.tools.pressed(palette, button); }
    bool anyPressed(const char* palette, int from, int to) const;
    bool inWritingLesson() const;
    bool staffLoaded(int index) const;
    void unloadNote(int index);

    lessons::LessonContext& ctx_;
    lessons::NotationArrays& a_;
    std::function<QString()> lessonName_;
};

} // namespace staffedit
