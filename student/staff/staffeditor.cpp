#include "staffeditor.h"

#include "notationcalls.h"
#include "staffmath.h"

#include "common/basic.h"
#include "music/framework/control.h"
#include "music/framework/dispatch.h"
#include "music/note/note.h"
#include "platform/dialogs.h"
#include "student/lessons/musicmath.h"

#include <QCheckBox>
#include <QFrame>
#include <QPointer>

namespace staffedit {

using lessons::ElementArray;
using lessons::getInt;
using lessons::put;

namespace {

constexpr const char* kNotes = "frmFloatingNotes";
constexpr const char* kRests = "frmFloatingRests";
constexpr const char* kAccidentals = "frmFloatingAccidentals";
constexpr const char* kClef = "frmFloatingClef";
constexpr const char* kMisc = "frmFloatingMisc";
constexpr const char* kRoman = "frmFloatingRoman";
constexpr const char* kTime = "frmTime";

// Columns of the table of loaded elements.
constexpr int kColKeySign = 1, kColNotes = 2, kColClef = 3, kColRoman = 4, kColMetre = 5, kColBeams = 6,
              kColSlurs = 7;

QString tagOf(int staff) { return QString::number(staff); }
int valTag(const QString& tag) { return int(basic::Val(tag)); }

quint32 foreColor(QObject* o) { return o ? music::dispGet(o, QStringLiteral("ForeColor")).toUInt() : 0; }

// The first pressed button of `from`..`to` as 0.. (the NoteName of buttons 3..8), or -1.
int firstPressed(const lessons::ToolState& t, const char* palette, int from, int to) {
    for (int b = from; b <= to; ++b)
        if (t.pressed(palette, b)) return b - from;
    return -1;
}

} // namespace

StaffEditor::StaffEditor(lessons::LessonContext& ctx) : ctx_(ctx), a_(ctx.arrays) { arrays = &ctx.arrays; }

bool StaffEditor::anyPressed(const char* palette, int from, int to) const {
    for (int b = from; b <= to; ++b)
        if (pressed(palette, b)) return true;
    return false;
}

bool StaffEditor::inWritingLesson() const {
    const int l = ctx_.state.CurrentLesson;
    return l == 2 || l == 4;
}

bool StaffEditor::staffLoaded(int index) const { return index >= 1 && a_.StaffLines.exists(index); }

// ---------------------------------------------------------------------------------------------
// Wiring

void StaffEditor::wire() {
    auto hook = [](ElementArray& arr, auto onDown, auto onMove, auto onUp, bool track) {
        arr.setLoadHook([onDown, onMove, onUp, track](int index, QWidget* w) {
            auto* c = qobject_cast<music::MusicControl*>(w);
            if (!c) return;
            if (track) c->setMouseTracking(true);
            QObject::connect(c, &music::MusicControl::MouseDown, c, [=](int x, int y) { onDown(index, x, y); });
            QObject::connect(c, &music::MusicControl::MouseMove, c, [=](int x, int y) { onMove(index, x, y); });
            QObject::connect(c, &music::MusicControl::MouseUp, c, [=](int x, int y) { onUp(index, x, y); });
        });
    };
    auto none = [](int, int, int) {};
    hook(a_.StaffLines, [this](int i, int x, int y) { StaffLines_MouseDown(i, x, y); },
         [this](int i, int x, int y) { StaffLines_MouseMove(i, x, y); }, none, true);
    hook(a_.NoteSymbol, [this](int i, int x, int y) { NoteSymbol_MouseDown(i, x, y); },
         [this](int i, int x, int y) { NoteSymbol_MouseMove(i, x, y); },
         [this](int i, int x, int y) { NoteSymbol_MouseUp(i, x, y); }, true);
    hook(a_.KeySign, [this](int i, int x, int y) { KeySign_MouseDown(i, x, y); },
         [this](int i, int x, int y) { KeySign_MouseMove(i, x, y); },
         [this](int i, int x, int y) { KeySign_MouseUp(i, x, y); }, false);
    hook(a_.PhraseMark, [this](int i, int x, int y) { PhraseMark_MouseDown(i, x, y); }, none, none, false);
    hook(a_.tmMeter, [this](int i, int x, int y) { tmMeter_MouseDown(i, x, y); }, none, none, false);
}

// ---------------------------------------------------------------------------------------------
// Bookkeeping

int StaffEditor::claimIndex(ElementArray& arr, int column) {
    auto& flags = ctx_.LoadedFlags;
    const int ub = arr.ubound();
    bool someFree = false;
    for (int i = 1; i <= ub && !someFree; ++i) someFree = !flags.get(column, i);
    if (!someFree && ub >= 200) return 0;
    for (int i = 1; i <= ub + 1 && i <= 200; ++i) {
        if (flags.get(column, i)) continue;
        if (arr.exists(i)) return 0;  // loaded by someone who did not mark it: leave it alone
        flags.set(column, i, true);
        return i;
    }
    return 0;
}

int StaffEditor::loadFreeElement(ElementArray& arr, int column) {
    const int i = claimIndex(arr, column);
    if (i == 0) return 0;
    if (!arr.load(i)) {
        ctx_.LoadedFlags.set(column, i, false);
        return 0;
    }
    arr.ZOrder(i, 0);
    return i;
}

int StaffEditor::countOnStaff(const ElementArray& arr, int column, int staff) const {
    const QString tag = tagOf(staff);
    int n = 0;
    for (int i = 1; i <= arr.ubound(); ++i)
        if (ctx_.LoadedFlags.get(column, i) && arr.exists(i) && arr.Tag(i) == tag) ++n;
    return n;
}

void StaffEditor::shiftOffsetsAfter(int staff, double left, bool inclusive, int exclude, int delta) {
    if (delta == 0) return;
    ElementArray& notes = a_.NoteSymbol;
    const QString tag = tagOf(staff);
    for (int i = 1; i <= notes.ubound(); ++i) {
        if (i == exclude || !ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i) || notes.Tag(i) != tag)
            continue;
        const double l = notes.Left(i);
        if (l > left || (inclusive && l == left))
            put(notes[i], "RhythmicOffset", getInt(notes[i], "RhythmicOffset") + delta);
    }
}

// Unloads a note from inside its own events; the notes after it move up by its duration.
void StaffEditor::unloadNote(int index) {
    ElementArray& notes = a_.NoteSymbol;
    if (!notes.exists(index)) return;
    const int staff = valTag(notes.Tag(index));
    const int value = noteValueOf(notes[index]);
    shiftOffsetsAfter(staff, notes.Left(index), false, index, -value);
    notes.unloadDeferred(index);
}

// ---------------------------------------------------------------------------------------------
// Staff events

void StaffEditor::StaffLines_MouseDown(int Index, int x, int y) {
    ElementArray& notes = a_.NoteSymbol;
    put(notes[0], "DotsNumberOf", 0);
    const int lesson = ctx_.state.CurrentLesson;
    if ((lesson != 2 && lesson != 4) || Index < 1 || !staffLoaded(Index)) return;
    notes.setLeft(0, a_.StaffLines.Left(Index) + x - 330);
    if (lesson == 4) {
        AddSymbolToStaff(qint16(Index), 990, 50, 0, -160, AllowNotes | AllowRests, -495, 980, true, {}, 0);
        return;
    }
    if (Index == 1)
        AddSymbolToStaff(1, y, 50, 0, -160, AllowClefs, -495, 980, true, {}, {});
    else if (Index == 2)
        AddSymbolToStaff(2, y, 50, 0, -160, 27, -495, 980, true, {}, 0);
    else
        AddSymbolToStaff(qint16(Index), y, 50, 0, -160, AllowNotes | AllowRests, -495, 980, true, {}, 0);
}

void StaffEditor::StaffLines_MouseMove(int Index, int x, int y) {
    if (!inWritingLesson() || Index < 1 || !staffLoaded(Index)) return;
    ShowLegerLines(x, y, a_.lnLeger, Index);
}

void StaffEditor::ShowLegerLines(double x, double y, lessons::LineArray& lnLeger, int staffIndex) {
    if (!staffLoaded(staffIndex)) return;
    QObject* staff = a_.StaffLines[staffIndex];
    const int count = lnLeger.ubound();
    const LegerPreview p = legerPreview(x, y, a_.StaffLines.Left(staffIndex), a_.StaffLines.Top(staffIndex),
                                        getInt(staff, "LineTop"), getInt(staff, "LineSpace"), count);
    for (int i = 1; i <= count; ++i) {
        lessons::LineControl* line = lnLeger[i];
        if (!line) continue;
        if (p.shown > 0) {
            line->setEnds(p.x1, p.y[size_t(i - 1)], p.x2, p.y[size_t(i - 1)]);
            lnLeger.ZOrder(i, 0);
        }
        lnLeger.setVisible(i, i <= p.shown);
    }
}

// ---------------------------------------------------------------------------------------------
// Adding symbols

void StaffEditor::AddSymbolToStaff(qint16 Index, qint32 Y, qint16 MaxSymbols, qint32 SlotWidth, qint32 LeftOffset,
                                   qint32 Flags, qint32 KeyLeftOffset, std::optional<qint32> QuarterWidth,
                                   std::optional<bool> CorrectSpacing, std::optional<bool> PlaceBySlots,
                                   std::optional<int> TemplateNote) {
    lessons::ExerciseState& st = ctx_.state;
    st.DragX = 0;
    st.DragY = 0;
    const auto quarter = basic::toInt16(QuarterWidth.value_or(0));
    if (!quarter) return;  // a 16-bit overflow fails this call, not the program
    if (tools().MousePointer() == lessons::kPointerEraser) return;

    if (pressed(kAccidentals, 3) || pressed(kAccidentals, 4)) {
        if (Flags & AllowKeySignature) {
            AddAccidentalToStaff(Index, float(Y), a_.StaffLines, a_.KeySign, KeyLeftOffset);
            if (Flags & AllowTimeSignature) RealignStaffSymbols(Index, a_.StaffLines, a_.tmMeter, a_.KeySign);
        }
        return;
    }
    if (anyPressed(kClef, 1, 3)) {
        if (Flags & AllowClefs) AddClefToStaff(Index, float(Y), a_.StaffLines, a_.ClefSymbol);
        return;
    }
    if (anyPressed(kNotes, 3, 8)) {
        if (Flags & AllowNotes) {
            const qint16 added = AddNoteToStaff(Index, float(Y), a_.StaffLines, a_.NoteSymbol, MaxSymbols, LeftOffset,
                                                SlotWidth, TemplateNote, *quarter, {}, CorrectSpacing, PlaceBySlots);
            // Only a note that was written is fitted: fitting the template after a refused
            // add would move it and give its stem to every later note.
            if (added > 0) {
                st.MouseDownFlag = true;
                NoteMouseMove(added, 0, 0, a_.NoteSymbol, Index);
                st.MouseDownFlag = false;
            }
        }
        return;
    }
    if (anyPressed(kRests, 3, 8)) {
        if (Flags & AllowRests)
            AddRestToStaff(Index, a_.StaffLines, a_.NoteSymbol, MaxSymbols, LeftOffset, SlotWidth, {}, *quarter);
        return;
    }
    if (tools().time().down && (Flags & AllowTimeSignature))
        AddMetreToStaff(Index, float(Y), a_.StaffLines, a_.tmMeter, a_.KeySign);
}

qint16 StaffEditor::AddNoteToStaff(qint16 Index, float Y, ElementArray& StaffLines, ElementArray& NoteSymbol,
                                   qint16 MaxSymbols, qint32 LeftOffset, qint32 SlotWidth,
                                   std::optional<int> TemplateNote, std::optional<qint32> QuarterWidth,
                                   std::optional<qint32> EndLimit, std::optional<bool> CorrectSpacing,
                                   std::optional<bool> PlaceBySlots, std::optional<int> StemFilter) {
    if (StaffLines.ubound() <= 0 || Index < 1 || !StaffLines.exists(Index)) return 0;
    const int tmpl = TemplateNote.value_or(-1);
    const bool fromTemplate = tmpl >= 0 && NoteSymbol.exists(tmpl);
    const QString tag = tagOf(Index);

    std::vector<StaffNote> onStaff;
    int n = 0;
    for (int i = 1; i <= NoteSymbol.ubound(); ++i) {
        if (!ctx_.LoadedFlags.get(kColNotes, i) || !NoteSymbol.exists(i) || NoteSymbol.Tag(i) != tag) continue;
        ++n;
        onStaff.push_back({NoteSymbol.Left(i), noteValueOf(NoteSymbol[i]),
                           getInt(NoteSymbol[i], "StemDirection")});
    }
    std::optional<double> templateLeft;
    if (fromTemplate) templateLeft = NoteSymbol.Left(tmpl);
    const TicksBefore before =
        ticksBefore(onStaff, templateLeft, StemFilter, EndLimit.value_or(0), CorrectSpacing.value_or(false));
    if (n > MaxSymbols - 1) return 0;

    const int i = loadFreeElement(NoteSymbol, kColNotes);
    if (i == 0) return 0;
    QObject* note = NoteSymbol[i];
    if (ctx_.palettes.isVisible(kNotes)) {
        const int value = firstPressed(ctx_.state.tools, kNotes, 3, 8);
        if (value >= 0) put(note, "Note", value);
    }
    const int ticks = noteValueOf(note);
    const double offset = before.ticks + ticks;
    put(note, "RhythmicOffset", int(offset));

    const double staffLeft = StaffLines.Left(Index);
    double left;
    if (fromTemplate)
        left = NoteSymbol.Left(tmpl);
    else if (!PlaceBySlots)
        left = noteLeftByDuration(staffLeft, LeftOffset, before.ticks, QuarterWidth.value_or(0), before.correction);
    else
        left = noteLeftBySlots(staffLeft, LeftOffset, SlotWidth, offset, ticks);
    NoteSymbol.Move(i, left, noteTopForClick(StaffLines.Top(Index), Y, getInt(note, "NoteTop")));
    NoteSymbol.setVisible(i, true);
    NoteSymbol.setTag(i, tag);
    // A note written between others moves every later note's end by its duration.
    if (fromTemplate) shiftOffsetsAfter(Index, left, true, i, ticks);
    return qint16(i);
}

qint16 StaffEditor::AddRestToStaff(qint16 Index, ElementArray& StaffLines, ElementArray& NoteSymbol,
                                   qint16 MaxSymbols, qint32 LeftOffset, std::optional<qint32>,
                                   std::optional<int> TemplateRest, std::optional<qint32> QuarterWidth,
                                   std::optional<qint32> EndLimit) {
    if (StaffLines.ubound() <= 0 || Index < 1 || !StaffLines.exists(Index)) return 0;
    const int tmpl = TemplateRest.value_or(-1);
    const bool fromTemplate = tmpl >= 0 && NoteSymbol.exists(tmpl);
    const QString tag = tagOf(Index);
    std::vector<StaffNote> onStaff;
    for (int i = 1; i <= NoteSymbol.ubound(); ++i)
        if (ctx_.LoadedFlags.get(kColNotes, i) && NoteSymbol.exists(i) && NoteSymbol.Tag(i) == tag)
            onStaff.push_back({NoteSymbol.Left(i), noteValueOf(NoteSymbol[i]), 0});
    std::optional<double> templateLeft;
    if (fromTemplate) templateLeft = NoteSymbol.Left(tmpl);
    const TicksBefore before = ticksBefore(onStaff, templateLeft, {}, EndLimit.value_or(0), false);
    if (int(onStaff.size()) > MaxSymbols - 1) return 0;

    const int i = loadFreeElement(NoteSymbol, kColNotes);
    if (i == 0) return 0;
    QObject* rest = NoteSymbol[i];
    if (ctx_.palettes.isVisible(kRests)) {
        const int value = firstPressed(ctx_.state.tools, kRests, 3, 8);
        if (value >= 0) put(rest, "Note", value);
    }
    const int ticks = noteValueOf(rest);
    put(rest, "RhythmicOffset", int(before.ticks + ticks));
    const double left = fromTemplate ? NoteSymbol.Left(tmpl)
                                     : noteLeftByDuration(StaffLines.Left(Index), LeftOffset, before.ticks,
                                                          QuarterWidth.value_or(0), 0);
    put(rest, "Rest", -1);
    NoteSymbol.Move(i, left, restTop(StaffLines.Top(Index), getInt(rest, "Note"), getInt(rest, "NoteTop")));
    NoteSymbol.setVisible(i, true);
    NoteSymbol.setTag(i, tag);
    if (fromTemplate) shiftOffsetsAfter(Index, left, true, i, ticks);
    return qint16(i);
}

void StaffEditor::AddClefToStaff(qint16 Index, float Y, ElementArray& StaffLines, ElementArray& ClefSymbol) {
    if (StaffLines.ubound() <= 0 || Index < 1 || !StaffLines.exists(Index)) return;
    if (countOnStaff(ClefSymbol, kColClef, Index) > 0) return;
    const int i = loadFreeElement(ClefSymbol, kColClef);
    if (i == 0) return;
    const Point p = clefPosition(StaffLines.Left(Index), StaffLines.Top(Index), Y);
    ClefSymbol.Move(i, p.left, p.top);
    if (ctx_.palettes.isVisible(kClef))
        put(ClefSymbol[i], "Clef", pressed(kClef, 1) ? 0 : pressed(kClef, 2) ? 1 : 2);
    ClefSymbol.setVisible(i, true);
    ClefSymbol.setTag(i, tagOf(Index));
}

void StaffEditor::AddAccidentalToStaff(qint16 Index, float Y, ElementArray& StaffLines, ElementArray& KeySign,
                                       qint32 KeyLeftOffset) {
    if (StaffLines.ubound() <= 0 || Index < 1 || !StaffLines.exists(Index)) return;
    const int k = countOnStaff(KeySign, kColKeySign, Index);
    if (k > 6) return;
    const int i = loadFreeElement(KeySign, kColKeySign);
    if (i == 0) return;
    const Point p = keyAccidentalPosition(StaffLines.Left(Index), StaffLines.Top(Index), Y, k, KeyLeftOffset);
    KeySign.Move(i, p.left, p.top);
    put(KeySign[i], "RhythmicOffset", k);
    if (ctx_.palettes.isVisible(kAccidentals) && tools().Enabled(kAccidentals, 3)) {
        if (pressed(kAccidentals, 3)) put(KeySign[i], "AccidentalSign", 1);
        else if (pressed(kAccidentals, 4)) put(KeySign[i], "AccidentalSign", 2);
    }
    KeySign.setVisible(i, true);
    KeySign.setTag(i, tagOf(Index));
}

void StaffEditor::AddMetreToStaff(qint16 Index, float, ElementArray& StaffLines, ElementArray& tmMeter,
                                  ElementArray& KeySign) {
    if (StaffLines.ubound() <= 0 || Index < 1 || !StaffLines.exists(Index)) return;
    if (countOnStaff(tmMeter, kColMetre, Index) > 0) return;
    const int k = countOnStaff(KeySign, kColKeySign, Index);
    const int i = loadFreeElement(tmMeter, kColMetre);
    if (i == 0) return;
    const Point p = metrePosition(StaffLines.Left(Index), StaffLines.Top(Index), k);
    tmMeter.Move(i, p.left, p.top);
    const lessons::TimeTool& time = tools().time();
    if (ctx_.palettes.isVisible(kTime) && time.down) {
        put(tmMeter[i], "Pulses", time.Pulses);
        put(tmMeter[i], "NoteValue", time.NoteValue);
    }
    tmMeter.setVisible(i, true);
    tmMeter.setTag(i, tagOf(Index));
}

void StaffEditor::AddRomanNumeralToStaff(qint16 Index, ElementArray& Staffs, int note, ElementArray& Romans,
                                         int MaxLabels) {
    if (Staffs.ubound() <= 0 || Index < 1 || !Staffs.exists(Index) || !a_.NoteSymbol.exists(note)) return;
    if (countOnStaff(Romans, kColRoman, Index) > MaxLabels - 1) return;
    const int i = loadFreeElement(Romans, kColRoman);
    if (i == 0) return;
    // The Roman palette's own window decides whether its buttons are read.
    if (ctx_.palettes.isVisible(kRoman)) {
        const int numeral = firstPressed(ctx_.state.tools, kRoman, 3, 9);
        if (numeral >= 0) put(Romans[i], "RomanNumber", numeral + 1);
    }
    Romans.setLeft(i, float(a_.NoteSymbol.Left(note) + 140));
    Romans.setVisible(i, true);
    Romans.setTag(i, tagOf(Index));
}

// ---------------------------------------------------------------------------------------------
// Notes: selection, colours, erasing

void StaffEditor::NoteSymbol_MouseDown(int Index, int X, int Y) {
    if (!inWritingLesson()) return;
    ElementArray& notes = a_.NoteSymbol;
    if (!notes.exists(Index)) return;
    QObject* note = notes[Index];
    if (basic::Val(notes.Tag(Index)) > 0) {
        if (pressed(kNotes, 1)) {
            if (getInt(note, "HideFlags") != 0) {
                ToggleBeamColor(qint16(Index), notes, a_.BeamFlag, kColBeams);
                if (unBeamSelected) unBeamSelected();
            }
            EraseSymbol(qint16(Index), notes, kColNotes);
        } else if (getInt(note, "HideFlags") == 0) {
            EditNoteSymbol(qint16(Index), X, Y, a_.StaffLines, notes);
        }
        // The selection tool acts on the note only while it is still there.
        if (notes.exists(Index) && pressed(kMisc, 14)) {
            if (IsBeamed(qint16(Index), a_.BeamFlag, kColBeams)) ToggleBeamColor(qint16(Index), notes, a_.BeamFlag, kColBeams);
            else ToggleNoteColor(qint16(Index));
        }
    } else {
        const int tagged = valTag(notes.Tag(Index));
        const int k = lessons::ControlAtPoint(X, Y, notes.Left(Index), notes.Top(Index), a_.StaffLines);
        if (k == tagged) {
            notes.setLeft(0, notes.Left(Index) + X - 260);
            const qint32 y = qint32(basic::roundHalfEven(Y + notes.Top(Index) - a_.StaffLines.Top(k)));
            AddSymbolToStaff(qint16(k), y, 50, 0, -160, AllowNotes, -495, 980, true, {}, 0);
        }
    }
    tools().setEnabled(kMisc, 12, false);
}

void StaffEditor::NoteSymbol_MouseMove(int Index, int X, int Y) {
    if (ctx_.state.CurrentLesson == 2)
        for (int i = 1; i <= a_.lnLeger.ubound(); ++i) a_.lnLeger.setVisible(i, false);
    if (!inWritingLesson() || !ctx_.state.MouseDownFlag || !a_.NoteSymbol.exists(Index)) return;
    NoteMouseMove(qint16(Index), float(X), float(Y), a_.NoteSymbol, valTag(a_.NoteSymbol.Tag(Index)));
}

void StaffEditor::NoteSymbol_MouseUp(int, int, int) {
    if (inWritingLesson()) ctx_.state.MouseDownFlag = false;
}

void StaffEditor::PhraseMark_MouseDown(int Index, int, int) {
    if (inWritingLesson()) EraseSymbol(qint16(Index), a_.PhraseMark, kColSlurs);
}

void StaffEditor::tmMeter_MouseDown(int Index, int, int) {
    if (ctx_.state.CurrentLesson == 6) EraseSymbol(qint16(Index), a_.tmMeter, kColKeySign);
}

bool StaffEditor::ToggleNoteColor(qint16 Index, bool Quiet) {
    ElementArray& notes = a_.NoteSymbol;
    if (!ctx_.LoadedFlags.get(kColNotes, Index) || !notes.exists(Index)) return false;
    QObject* note = notes[Index];
    if (!(basic::Val(notes.Tag(Index)) > 0 && getInt(note, "Note") > 2 && pressed(kMisc, 14))) return true;
    return ToggleNoteColorEx(Index, Quiet);
}

bool StaffEditor::ToggleNoteColorEx(qint16 Index, bool Quiet) {
    ElementArray& notes = a_.NoteSymbol;
    if (!ctx_.LoadedFlags.get(kColNotes, Index) || !notes.exists(Index)) return false;
    QObject* note = notes[Index];
    if (!(basic::Val(notes.Tag(Index)) > 0 && getInt(note, "Note") > 2)) return true;
    const QString tag = notes.Tag(Index);
    for (int i = 1; i <= notes.ubound(); ++i) {
        if (!ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i)) continue;
        if (notes.Tag(i) != tag && foreColor(notes[i]) == kSelected) {
            if (!Quiet)
                platform::Dialogs::instance().messageBox(QStringLiteral("Beaming across bar lines not allowed."),
                                                         platform::Critical, QStringLiteral("Beaming Error"),
                                                         ctx_.window.owner());
            return false;
        }
    }
    put(note, "ForeColor", foreColor(note) == 0 ? kSelected : 0u);
    return true;
}

bool StaffEditor::IsBeamed(qint16 Index, ElementArray& Beams, int Column, bool CheckFlags) {
    ElementArray& notes = a_.NoteSymbol;
    if (!ctx_.LoadedFlags.get(kColNotes, Index) || !notes.exists(Index)) return false;
    QObject* note = notes[Index];
    if (CheckFlags && getInt(note, "HideFlags") == 0) return false;
    const int stemPos = stemPositionOf(note);
    const int stemDir = getInt(note, "StemDirection");
    for (int b = 1; b <= Beams.ubound(); ++b) {
        if (!ctx_.LoadedFlags.get(Column, b) || !Beams.exists(b) || Beams.Tag(b) != notes.Tag(Index)) continue;
        const int count = getInt(Beams[b], "Count");
        for (int j = 1; j <= count; ++j) {
            QObject* item = beamItemOf(Beams[b], j);
            if (item && getInt(item, "StemPosition") == stemPos && getInt(item, "StemDirection") == stemDir)
                return true;
        }
    }
    return false;
}

void StaffEditor::ToggleBeamColor(qint16 Index, ElementArray& Notes, ElementArray& Beams, int Column) {
    if (!Notes.exists(Index)) return;
    QObject* note = Notes[Index];
    const quint32 c0 = foreColor(note);
    const QString tag = Notes.Tag(Index);
    const int stemPos = stemPositionOf(note);
    const int stemDir = getInt(note, "StemDirection");
    auto holds = [&](int b, int pos, int dir) {
        const int count = getInt(Beams[b], "Count");
        for (int j = 1; j <= count; ++j) {
            QObject* item = beamItemOf(Beams[b], j);
            if (item && getInt(item, "StemPosition") == pos && getInt(item, "StemDirection") == dir) return true;
        }
        return false;
    };
    int g = 0;
    for (int b = 1; b <= Beams.ubound(); ++b)
        if (ctx_.LoadedFlags.get(Column, b) && Beams.exists(b) && Beams.Tag(b) == tag && holds(b, stemPos, stemDir))
            g = b;
    // A note under no beam changes nothing (the template beam holds no notes).
    if (g == 0) return;

    for (int i = 1; i <= Notes.ubound(); ++i)
        if (ctx_.LoadedFlags.get(kColNotes, i) && Notes.exists(i)) put(Notes[i], "ForeColor", 0);
    for (int b = 1; b <= Beams.ubound(); ++b)
        if (ctx_.LoadedFlags.get(Column, b) && Beams.exists(b)) put(Beams[b], "ForeColor", 0);

    const quint32 to = c0 == kSelected ? 0u : kSelected;
    const int count = getInt(Beams[g], "Count");
    for (int j = 1; j <= count; ++j) {
        QObject* item = beamItemOf(Beams[g], j);
        if (!item) continue;
        const int pos = getInt(item, "StemPosition"), dir = getInt(item, "StemDirection");
        for (int i = 1; i <= Notes.ubound(); ++i) {
            if (!ctx_.LoadedFlags.get(kColNotes, i) || !Notes.exists(i) || Notes.Tag(i) != Beams.Tag(g)) continue;
            if (getInt(Notes[i], "StemDirection") == dir && stemPositionOf(Notes[i]) == pos) {
                put(Notes[i], "ForeColor", to);
                break;
            }
        }
    }
    put(Beams[g], "ForeColor", to);
    tools().setEnabled(kMisc, 12, to == kSelected);
}

void StaffEditor::EraseSymbol(qint16 Index, ElementArray& Arr, int Column) {
    lessons::ToolState& t = tools();
    if (t.MousePointer() != lessons::kPointerEraser) return;
    if (Index > 0) {
        if (!Arr.exists(Index)) return;
        if (&Arr == &a_.NoteSymbol) unloadNote(Index);
        else Arr.unloadDeferred(Index);
        ctx_.LoadedFlags.set(Column, Index, false);
        bool any = false;
        for (int i = 1; i <= Arr.ubound() && !any; ++i) any = ctx_.LoadedFlags.get(Column, i) && Arr.exists(i);
        if (!any) t.setMousePointer(lessons::kPointerDefault);
    } else {
        t.setMousePointer(lessons::kPointerDefault);
    }
    t.setLessonFramePointer(t.MousePointer());
}

// ---------------------------------------------------------------------------------------------
// Editing by tool

void StaffEditor::EditNoteSymbol(qint16 Index, qint32 X, qint32 Y, ElementArray& Staffs, ElementArray& Notes,
                                 const EditOptions& options) {
    (void)Staffs;
    if (Index < 1 || !Notes.exists(Index)) return;
    const auto& pal = ctx_.palettes;
    if (!pal.isVisible(kNotes) && !pal.isVisible(kAccidentals) && !options.force) return;
    QObject* note = Notes[Index];

    static const std::pair<int, int> accidentals[] = {{3, 1}, {4, 2}, {6, 4}, {7, 3}, {8, 6}, {9, 7}, {5, 5}};
    for (auto [button, name] : accidentals)
        if (pressed(kAccidentals, button)) {
            put(note, "AccidentalName", name);
            return;
        }
    if (pressed(kNotes, 1) && getInt(note, "AccidentalName") != 0) {
        put(note, "AccidentalName", 0);
        return;
    }
    const bool beamed = getInt(note, "HideFlags") != 0;
    if (pressed(kNotes, 15) && !beamed) {
        put(note, "StemDirection", -1);
        return;
    }
    if (pressed(kNotes, 16) && !beamed) {
        put(note, "StemDirection", 0);
        return;
    }
    if (pressed(kRoman, 3) || pressed(kRoman, 7)) return;
    if (pressed(kMisc, 7) || pressed(kMisc, 8)) return;

    const int staff = valTag(Notes.Tag(Index));
    const int before = noteValueOf(note);
    if (pressed(kNotes, 13) || pressed(kRests, 11)) {
        if (getInt(note, "DotsNumberOf") != 1 && options.dotBookkeeping)
            put(note, "RhythmicOffset", getInt(note, "RhythmicOffset") + before / 2);
        put(note, "DotsNumberOf", 1);
        // A dot after a wide head stands further right than the note's width reaches: widen
        // it (its place stays) rather than cut the dot off.
        if (auto* drawn = qobject_cast<music::Note*>(note)) {
            const int right = drawn->dotsRight();
            if (right > drawn->width()) Notes.setWidth(Index, right * common::kTwipsPerPixel);
        }
        shiftOffsetsAfter(staff, Notes.Left(Index), false, Index,
                          noteValueOf(note) - before);
        return;
    }
    put(note, "RhythmicOffset", getInt(note, "RhythmicOffset") - before);
    const int value = firstPressed(ctx_.state.tools, kNotes, 3, 8);
    if (value >= 0) put(note, "Note", value);
    const int after = noteValueOf(note);
    put(note, "RhythmicOffset", getInt(note, "RhythmicOffset") + after);
    shiftOffsetsAfter(staff, Notes.Left(Index), false, Index, after - before);
    BeginSymbolDrag(Index, float(X), float(Y), Notes, kColNotes);
    tools().setLessonFramePointer(tools().MousePointer());
}

// ---------------------------------------------------------------------------------------------
// Check boxes and walking

void StaffEditor::AddCheckBoxesToNotes(ElementArray& Notes, qint32 Offset, std::optional<int> Bar, int Column,
                                       int Span) {
    auto& boxes = a_.chkGroup;
    for (int i = boxes.ubound(); i >= 1; --i) boxes.unload(i);
    if (Bar && !staffLoaded(*Bar)) return;  // no staff to stand under

    struct Entry { int index; double left; };
    std::vector<Entry> list;
    for (int i = 1; i <= Notes.ubound(); ++i) {
        if (!ctx_.LoadedFlags.get(kColNotes, i) || !Notes.exists(i)) continue;
        if (Bar) {
            const double bar = basic::Val(Notes.Tag(i));
            if (bar < *Bar || bar > *Bar + Span) continue;
        }
        list.push_back({i, Notes.Left(i)});
    }
    std::stable_sort(list.begin(), list.end(), [](const Entry& x, const Entry& y) { return x.left < y.left; });

    const double top = Bar ? a_.StaffLines.Top(*Bar) + 2650 : 3070;
    int k = 0;
    for (const Entry& e : list) {
        QObject* note = Notes[e.index];
        const int value = getInt(note, "Note");
        if (value < 3 || value > 7) continue;
        if (getInt(note, "HideFlags") != 0) {
            const int stemPos = stemPositionOf(note);
            const int stemDir = getInt(note, "StemDirection");
            bool box = false;
            for (int b = 1; b <= a_.BeamFlag.ubound() && !box; ++b) {
                if (!ctx_.LoadedFlags.get(Column, b) || !a_.BeamFlag.exists(b) ||
                    a_.BeamFlag.Tag(b) != Notes.Tag(e.index) || stemPos != a_.BeamFlag.Left(b))
                    continue;
                box = beamedNoteGetsBox(Notes.Top(e.index), stemDir, a_.BeamFlag.Top(b));
            }
            if (!box) continue;
        }
        ++k;
        if (!boxes.load(k)) continue;
        boxes.Move(k, e.left + Offset, top);
        boxes.setVisible(k, true);
        boxes.ZOrder(k, 0);
    }
}

qint16 StaffEditor::NextControl(ElementArray& Arr, int Column) {
    std::vector<int> loaded;
    for (int i = 1; i <= Arr.ubound(); ++i)
        if (ctx_.LoadedFlags.get(Column, i) && Arr.exists(i)) loaded.push_back(i);
    CurrentControl = qint16(nextLoaded(CurrentControl, loaded));
    return CurrentControl;
}

void StaffEditor::FrameControl(ElementArray& Arr, int index) {
    const common::ElementRecord* r = Arr.record(index);
    if (!r || !a_.shpRect.exists(0)) return;
    const Rect f = frameAround({r->Left, r->Top, r->Width, r->Height});
    a_.shpRect.Move(0, f.left, f.top, f.width, f.height);
    a_.shpRect.setVisible(0, true);
    a_.shpRect.ZOrder(0, 0);
    Arr.ZOrder(index, 0);
}

// ---------------------------------------------------------------------------------------------
// Dragging and snapping

void StaffEditor::KeySign_MouseDown(int Index, int X, int Y) {
    if (ctx_.state.CurrentLesson == 2) BeginKeySignDrag(qint16(Index), X, Y, a_.StaffLines, a_.KeySign);
}

void StaffEditor::KeySign_MouseMove(int Index, int X, int Y) {
    lessons::ExerciseState& st = ctx_.state;
    if (st.CurrentLesson != 2 || !a_.KeySign.exists(Index)) return;
    if (tools().MousePointer() == lessons::kPointerEraser || !st.MouseDownFlag) return;
    a_.KeySign.Move(Index, float(a_.KeySign.Left(Index) + X - st.DragX), float(a_.KeySign.Top(Index) + Y - st.DragY));
}

void StaffEditor::KeySign_MouseUp(int Index, int X, int Y) {
    if (ctx_.state.CurrentLesson == 2) DropKeySignature(qint16(Index), X, Y, a_.StaffLines, a_.KeySign, -500);
}

void StaffEditor::BeginKeySignDrag(qint16 Index, qint32 X, qint32 Y, ElementArray& Staffs, ElementArray& KeySigns) {
    if (!KeySigns.exists(Index)) return;
    const QString t = KeySigns.Tag(Index);
    int item = 0;
    for (int i = 1; i <= KeySigns.ubound(); ++i)
        if (ctx_.LoadedFlags.get(kColKeySign, i) && KeySigns.exists(i) && KeySigns.Tag(i) == t) item = i;
    if (item > 0) {
        BeginSymbolDrag(qint16(item), float(X), float(Y), KeySigns, kColKeySign);
        tools().setLessonFramePointer(tools().MousePointer());
    }
    RealignStaffSymbols(qint16(valTag(t)), Staffs, a_.tmMeter, KeySigns);
}

void StaffEditor::BeginSymbolDrag(qint16 Index, float X, float Y, ElementArray& Arr, int Column) {
    lessons::ToolState& t = tools();
    if (t.MousePointer() != lessons::kPointerEraser) {
        ctx_.state.MouseDownFlag = true;
        ctx_.state.DragX = qint32(basic::roundHalfEven(X));
        ctx_.state.DragY = qint32(basic::roundHalfEven(Y));
        return;
    }
    if (Index >= 1) {
        if (!Arr.exists(Index)) return;
        if (&Arr == &a_.NoteSymbol) unloadNote(Index);
        else Arr.unloadDeferred(Index);
        ctx_.LoadedFlags.set(Column, Index, false);
        for (int i = 1; i <= Arr.ubound(); ++i)
            if (ctx_.LoadedFlags.get(Column, i) && Arr.exists(i)) return;
    }
    t.setMousePointer(lessons::kPointerDefault);
    t.setLessonFramePointer(lessons::kPointerDefault);
    t.setValue(kNotes, 1, 0);
    t.setValue(kAccidentals, 1, 0);
}

void StaffEditor::DropKeySignature(qint16 Index, qint32, qint32 Y, ElementArray& Staffs, ElementArray& KeySigns,
                                   qint16 Offset) {
    if (!KeySigns.exists(Index)) return;
    const QString t = KeySigns.Tag(Index);
    const int s = valTag(t);
    if (!Staffs.exists(s)) return;
    const double top = keySignBoundedTop(keySignDropTop(KeySigns.Top(Index), Y), Staffs.Top(s), Staffs.Height(s));
    KeySigns.setTop(Index, top);
    for (int i = 1; i <= KeySigns.ubound(); ++i)
        if (ctx_.LoadedFlags.get(kColKeySign, i) && KeySigns.exists(i) && KeySigns.Tag(i) == t)
            KeySigns.setLeft(i, keySignLeft(Staffs.Left(s), getInt(KeySigns[i], "RhythmicOffset"), Offset));
    ctx_.state.MouseDownFlag = false;
}

void StaffEditor::RealignStaffSymbols(qint16 StaffIndex, ElementArray& Staffs, ElementArray& Metres,
                                      ElementArray& KeySigns) {
    if (Staffs.ubound() <= 0 || !Staffs.exists(StaffIndex)) return;
    const QString tag = tagOf(StaffIndex);
    int m = 0;
    for (int i = 1; i <= Metres.ubound() && !m; ++i)
        if (ctx_.LoadedFlags.get(kColMetre, i) && Metres.exists(i) && Metres.Tag(i) == tag) m = i;
    if (!m) return;
    const int n = countOnStaff(KeySigns, kColKeySign, StaffIndex);
    Metres.setLeft(m, Staffs.Left(StaffIndex) + 130.0 * n + 160);
}

qint16 StaffEditor::NoteMouseMove(qint16 Index, float X, float Y, ElementArray& Notes, int staff) {
    if (!Notes.exists(Index) || !a_.StaffLines.exists(staff) || !Notes.exists(0)) return 0;
    QObject* s = a_.StaffLines[staff];
    QObject* note = Notes[Index];
    NoteFitInput in;
    in.staffTop = a_.StaffLines.Top(staff);
    in.lineTopPx = getInt(s, "LineTop");
    in.lineSpacePx = getInt(s, "LineSpace");
    in.templateNoteTopPx = getInt(Notes[0], "NoteTop");
    in.noteTopPx = getInt(note, "NoteTop");
    in.left = Notes.Left(Index);
    in.top = Notes.Top(Index);
    in.x = X;
    in.y = Y;
    in.dragX = ctx_.state.DragX;
    in.dragY = ctx_.state.DragY;
    in.moving = tools().MousePointer() != lessons::kPointerEraser && ctx_.state.MouseDownFlag;
    const NoteFit f = fitNote(in);
    if (in.moving) {
        Notes.Move(Index, float(f.left), f.top);
        if (f.stemDirection) put(note, "StemDirection", *f.stemDirection);
        if (f.legerLines) put(note, "LegerLines", *f.legerLines);
        if (f.lineNote) put(note, "LineNote", *f.lineNote ? -1 : 0);
    }
    return basic::toInt16(f.step).value_or(0);
}

qint16 StaffEditor::NoteMouseMove(int index, double dx, double dy, ElementArray& notes, int& staffIndex) {
    staffIndex = valTag(notes.Tag(index));
    return NoteMouseMove(qint16(index), float(dx), float(dy), notes, staffIndex);
}

QString StaffEditor::AdjustNoteToStaff(QObject* clef, qint16 step, int staffIndex) {
    if (!clef) return QString();
    const QString title = lessonName_ ? lessonName_() : QString();
    const bool tenorText = title.contains(QLatin1String("tenor"), Qt::CaseInsensitive);
    double clefTop = 0;
    bool placed = false;
    for (ElementArray* arr : {&a_.ClefSymbol, &a_.ClefSymbol2})
        for (int i = 0; i <= arr->ubound() && !placed; ++i)
            if (arr->at(i) == clef) {
                clefTop = arr->Top(i);
                placed = true;
            }
    TenorClef = placed && tenorText && a_.StaffLines.exists(staffIndex) &&
                clefInTenorPosition(clefTop, a_.StaffLines.Top(staffIndex), getInt(a_.StaffLines[staffIndex], "LineTop"));
    return letterForStep(getInt(clef, "Clef"), TenorClef, step);
}

// ---------------------------------------------------------------------------------------------
// Slurs and the drag flag

void StaffEditor::AddSlur(qint32 Direction, qint16 Bar, ElementArray& Staffs, int note, ElementArray& Phrases,
                          int Limit) {
    if (Staffs.ubound() <= 0 || !Staffs.exists(Bar) || Bar < 1 || !a_.NoteSymbol.exists(note)) return;
    if (countOnStaff(Phrases, kColSlurs, Bar) > Limit - 1) return;
    const int slot = loadFreeElement(Phrases, kColSlurs);
    if (slot == 0) return;
    const SlurPlace p = slurPlace(Direction, a_.NoteSymbol.Left(note), a_.NoteSymbol.Top(note),
                                  getInt(a_.NoteSymbol[note], "NoteLeft"), Phrases.Top(0), Phrases.Width(0));
    Phrases.Move(slot, p.left, p.top, p.width);
    put(Phrases[slot], "CurveDirection", p.curveDirection);
    Phrases.setVisible(slot, true);
    Phrases.setTag(slot, tagOf(Bar));
}

void StaffEditor::SetMouseDown(int Flag) { ctx_.state.MouseDownFlag = Flag != 0; }

} // namespace staffedit
