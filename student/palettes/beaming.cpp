#include "beaming.h"

#include "beammath.h"

#include "student/staff/notationcalls.h"

#include "common/basic.h"
#include "music/framework/dispatch.h"
#include "platform/dialogs.h"

#include <QCheckBox>
#include <algorithm>

namespace palettes {

using lessons::ElementArray;
using lessons::getInt;
using lessons::put;

namespace {

constexpr int kColNotes = 2, kColLabels = 1;
constexpr quint32 kSelected = 0xFF00FF;

int stemPosition(QObject* note) { return staffedit::stemPositionOf(note); }
int ticks(QObject* note) { return staffedit::noteValueOf(note); }
bool selected(QObject* note) { return music::dispGet(note, QStringLiteral("ForeColor")).toUInt() == kSelected; }

QObject* beamItem(QObject* beam, int j) { return staffedit::beamItemOf(beam, j); }

// A note that leaves its beam draws its own flags and stem again.
void unbeam(QObject* note) {
    put(note, "HideFlags", 0);
    put(note, "StemLength", -10);
}

void refuse(BeamRefusal r, bool silent, QWidget* owner) {
    if (silent) return;
    QString text, title;
    switch (r) {
    case BeamRefusal::StemDirections:
        text = QStringLiteral("Stems must appear in the same direction for beaming notes.");
        title = QStringLiteral("Invalid Stem Directions");
        break;
    case BeamRefusal::Order:
        text = QStringLiteral("Invalid selection. Choose a group of notes in sequence.");
        title = QStringLiteral("Wrong Order of Selection");
        break;
    case BeamRefusal::Number:
        text = QStringLiteral("You must choose more than one note to add a beam.");
        title = QStringLiteral("Wrong Number of Selection");
        break;
    default:
        return;
    }
    platform::Dialogs::instance().messageBox(text, platform::Critical, title, owner);
}

} // namespace

bool Beaming::makeBeam(ElementArray& beams, ElementArray& notes, const std::vector<int>& run, int top, int column,
                       bool deselect, bool setWidth) {
    auto& flags = ctx_.LoadedFlags;
    const int ub = beams.ubound();
    bool room = ub < 200;
    for (int i = 1; i <= ub && !room; ++i) room = !flags.get(column, i);
    if (!room) return false;
    int e = 0;
    for (int i = 1; i <= ub + 1 && i <= 200 && !e; ++i)
        if (!flags.get(column, i)) e = i;
    // An index loaded by someone who did not mark it is left alone.
    if (!e || beams.exists(e) || !beams.load(e)) return false;
    flags.set(column, e, true);
    beams.setTag(e, notes.Tag(run.front()));

    QObject* topNote = notes[top];
    const int topStem = getInt(topNote, "StemDirection");
    // Every stem of the group turns to the highest note's side, the first one's included, so
    // the stems are drawn to the beam on that side.
    const bool stemUp = topStem == -1;
    std::vector<BeamNote> values;
    for (int s : run) values.push_back({getInt(notes[s], "Note"), ticks(notes[s])});
    const auto lines = beamLines(values);

    QObject* beam = beams[e];
    double firstX = 0, width = 0;
    for (size_t j = 0; j < run.size(); ++j) {
        const int s = run[j];
        QObject* note = notes[s];
        put(note, "HideFlags", -1);
        if (deselect) put(note, "ForeColor", 0);
        put(note, "StemDirection", topStem);
        const int x = stemPosition(note);
        staffedit::beamAdd(beam, lines[j].first, lines[j].second, stemUp ? -1 : 0, x);
        if (j == 0) {
            firstX = x;
            beams.Move(e, x, notes.Top(top) + (getInt(note, "StemDirection") == -1 ? 450 : 1250));
        } else if (j + 1 == run.size()) {
            width = x - firstX;
        }
        put(note, "StemLength", -10);
        put(topNote, "StemLength", -10);
        put(note, "StemLength", beamedStemLength(notes.Top(s), notes.Top(top), stemUp));
    }
    if (setWidth) beams.setWidth(e, width + 30);
    beams.setVisible(e, true);
    beams.ZOrder(e, 0);
    return true;
}

bool Beaming::BeamIt(ElementArray& staves, ElementArray& beams, ElementArray& notes, int column, bool silent) {
    if (staves.ubound() <= 0) return false;
    std::vector<BeamCandidate> candidates;
    for (int i = 1; i <= notes.ubound(); ++i) {
        if (!ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i)) continue;
        QObject* n = notes[i];
        candidates.push_back({i, selected(n), int(basic::Val(notes.Tag(i))), getInt(n, "StemDirection"),
                              notes.Left(i), notes.Top(i), getInt(n, "HideFlags") != 0});
    }
    const BeamPlan plan = planBeam(candidates);
    if (plan.refusal != BeamRefusal::None) {
        refuse(plan.refusal, silent, ctx_.window.owner());
        return false;
    }
    // A full beam array makes no beam, and says so in the result.
    return makeBeam(beams, notes, plan.run, plan.topNote, column, true, true);
}

void Beaming::dropLabelOver(ElementArray& beams, int b, lessons::LabelArray& labels) {
    QObject* beam = beams[b];
    const int count = getInt(beam, "Count");
    if (count < 1) return;
    const double xFirst = getInt(beamItem(beam, 1), "StemPosition");
    const double xLast = getInt(beamItem(beam, count), "StemPosition");
    const double mid = basic::Int(((xLast - xFirst) / 2 + xFirst + 14) / 15) * 15;
    for (int m = 1; m <= labels.ubound(); ++m) {
        if (!ctx_.LoadedFlags.get(kColLabels, m) || !labels.exists(m) || labels.Left(m) != mid) continue;
        labels.unload(m);
        ctx_.LoadedFlags.set(kColLabels, m, false);
        return;
    }
}

void Beaming::UnBeamIt(ElementArray& staves, ElementArray& beams, ElementArray& notes, lessons::LabelArray& labels,
                       int column) {
    if (staves.ubound() <= 0) return;
    int s = 0;
    for (int i = 1; i <= notes.ubound() && !s; ++i)
        if (ctx_.LoadedFlags.get(kColNotes, i) && notes.exists(i) && selected(notes[i])) s = i;
    if (!s) return;
    const int pos = stemPosition(notes[s]);
    const int dir = getInt(notes[s], "StemDirection");
    auto holds = [&](int b, int p, int d) {
        const int count = getInt(beams[b], "Count");
        for (int j = 1; j <= count; ++j) {
            QObject* item = beamItem(beams[b], j);
            if (item && getInt(item, "StemPosition") == p && getInt(item, "StemDirection") == d) return true;
        }
        return false;
    };
    auto beamOf = [&](int note, int p, int d) {
        int found = 0;
        for (int b = 1; b <= beams.ubound(); ++b)
            if (ctx_.LoadedFlags.get(column, b) && beams.exists(b) && beams.Tag(b) == notes.Tag(note) &&
                holds(b, p, d))
                found = b;
        return found;
    };
    const int found = beamOf(s, pos, dir);
    if (!found) {
        // No beam to take away: the selection goes, and a note that no beam holds draws its
        // flags and its own stem again; notes of other beams stay under them.
        for (int i = 1; i <= notes.ubound(); ++i) {
            if (!ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i) || !selected(notes[i])) continue;
            put(notes[i], "ForeColor", 0);
            if (beamOf(i, stemPosition(notes[i]), getInt(notes[i], "StemDirection"))) continue;
            unbeam(notes[i]);
        }
        return;
    }
    // The notes and the label of the beam that goes are restored, and nothing else: other
    // beams stay whole, their notes flagless and selected as they were.
    dropLabelOver(beams, found, labels);
    for (int i = 1; i <= notes.ubound(); ++i) {
        if (!ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i)) continue;
        if (notes.Tag(i) != beams.Tag(found) ||
            !holds(found, stemPosition(notes[i]), getInt(notes[i], "StemDirection")))
            continue;
        put(notes[i], "ForeColor", 0);
        unbeam(notes[i]);
    }
    beams.unload(found);
    ctx_.LoadedFlags.set(column, found, false);
}

bool Beaming::tickedNotes(lessons::CheckBoxArray& boxes, ElementArray& notes, std::vector<int>& chosen,
                          bool stopAtFirst) {
    bool inRun = false, ended = false;
    for (int k = 1; k <= boxes.ubound(); ++k) {
        QCheckBox* box = boxes[k];
        if (!box) continue;
        if (box->isChecked()) {
            if (ended && !stopAtFirst) {
                refuse(BeamRefusal::Order, false, ctx_.window.owner());
                return false;
            }
            inRun = true;
            for (int i = 1; i <= notes.ubound(); ++i) {
                if (!ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i)) continue;
                // A box stands below its note at the note's Left, wherever the staff lies.
                if (notes.Left(i) == boxes.Left(k)) {
                    chosen.push_back(i);
                    break;
                }
            }
            if (stopAtFirst && !chosen.empty()) return true;
        } else if (inRun) {
            ended = true;
        }
    }
    return true;
}

void Beaming::BeamAdd(ElementArray& staves, lessons::CheckBoxArray& boxes, ElementArray& beams, ElementArray& notes,
                      int column) {
    if (staves.ubound() <= 0) return;
    std::vector<int> chosen;
    if (!tickedNotes(boxes, notes, chosen, false)) return;
    if (chosen.empty()) return;
    if (chosen.size() == 1) {
        refuse(BeamRefusal::Number, false, ctx_.window.owner());
        return;
    }
    int top = chosen.front();
    for (int i : chosen)
        if (notes.Top(i) < notes.Top(top)) top = i;
    // The beam spans every chosen stem, as the beam command's does.
    makeBeam(beams, notes, chosen, top, column, false, true);
    ctx_.staff->AddCheckBoxesToNotes(notes, 0);
}

void Beaming::BeamRemove(ElementArray& staves, lessons::CheckBoxArray& boxes, ElementArray& beams,
                         ElementArray& notes, lessons::LabelArray& labels, int column) {
    if (staves.ubound() <= 0) return;
    std::vector<int> anchor;
    tickedNotes(boxes, notes, anchor, true);
    if (!anchor.empty()) {
        const int a = anchor.front();
        const int pos = stemPosition(notes[a]);
        for (int b = 1; b <= beams.ubound(); ++b) {
            if (!ctx_.LoadedFlags.get(column, b) || !beams.exists(b) || beams.Tag(b) != notes.Tag(a)) continue;
            const double top = beams.Top(b);
            if (!(top == notes.Top(a) + 450 || top <= notes.Top(a) + 1250)) continue;
            const int count = getInt(beams[b], "Count");
            bool holds = false;
            for (int j = 1; j <= count && !holds; ++j) holds = getInt(beamItem(beams[b], j), "StemPosition") == pos;
            if (!holds) continue;

            beams.setVisible(b, false);
            // Every note of the beam gets its flags and stem back, whatever its height. They
            // are gathered first: fitting one back onto its staff may turn its stem.
            std::vector<int> held;
            for (int j = 1; j <= count; ++j) {
                const int itemPos = getInt(beamItem(beams[b], j), "StemPosition");
                for (int i = 1; i <= notes.ubound(); ++i) {
                    if (!ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i)) continue;
                    const int notePos = stemPosition(notes[i]);
                    if (basic::Int(notePos / 45.0) != basic::Int(itemPos / 45.0)) continue;
                    if (std::find(held.begin(), held.end(), i) == held.end()) held.push_back(i);
                }
            }
            for (int i : held) {
                unbeam(notes[i]);
                ctx_.state.MouseDownFlag = true;
                int staff = 0;
                ctx_.staff->NoteMouseMove(i, 0, 0, notes, staff);
                ctx_.state.MouseDownFlag = false;
            }
            dropLabelOver(beams, b, labels);
            beams.unload(b);
            ctx_.LoadedFlags.set(column, b, false);
            break;
        }
    }
    ctx_.staff->AddCheckBoxesToNotes(notes, 0);
}

} // namespace palettes
