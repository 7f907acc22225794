#include "beamedits.h"

#include "beaming.h"
#include "beammath.h"

#include "student/staff/notationcalls.h"

#include "common/basic.h"
#include "platform/dialogs.h"

#include <QCheckBox>
#include <algorithm>

namespace palettes {

using lessons::ElementArray;
using lessons::getInt;
using lessons::put;

namespace {

constexpr int kColLabels = 1, kColNotes = 2, kColBeams = 6;
constexpr int kMaxElements = 200;
constexpr quint32 kSelected = 0xFF00FF;
// Codes of the shortest value (128th) and of the double whole note: a value is never made
// past the one nor into or out of the other.
constexpr int kShortest = 7, kDoubleWhole = 8;

int stemOf(QObject* note) { return staffedit::stemPositionOf(note); }
int ticksOf(QObject* note) { return staffedit::noteValueOf(note); }
QObject* itemOf(QObject* beam, int j) { return staffedit::beamItemOf(beam, j); }
int beamLinesOf(QObject* note) { return getInt(note, "Note") - 2; }

// Lines towards the left and right neighbour of an inner note n between p and q.
std::pair<int, int> innerLines(QObject* p, QObject* n, QObject* q) {
    const auto lines = beamLines({{getInt(p, "Note"), ticksOf(p)}, {getInt(n, "Note"), ticksOf(n)},
                                  {getInt(q, "Note"), ticksOf(q)}});
    return lines[1];
}

void refuse(const QString& title, const QString& text, QWidget* owner) {
    platform::Dialogs::instance().messageBox(text, platform::Critical, title, owner);
}

} // namespace

int tupletNumber(const std::vector<int>& ticks) {
    double sum = 0, least = 32000;
    for (int t : ticks) {
        sum += t;
        least = std::min<double>(least, t);
    }
    if (ticks.empty() || least <= 0) return 0;
    const double n = sum / least;
    const double half = n / 2;
    if (half == basic::Int(half)) return int(half);
    return int(basic::roundHalfEven(n));
}

double beamCentre(double firstStem, double lastStem) {
    return basic::Int(((lastStem - firstStem) / 2 + firstStem + 14) / 15) * 15;
}

int BeamEdits::FindNoteBeam(ElementArray& beams, QObject* note) {
    if (!note) return 0;
    const int stem = stemOf(note);
    for (int b = 1; b <= beams.ubound(); ++b) {
        if (!ctx_.LoadedFlags.get(kColBeams, b) || !beams.exists(b)) continue;
        const int count = getInt(beams[b], "Count");
        for (int j = 1; j <= count; ++j)
            if (getInt(itemOf(beams[b], j), "StemPosition") == stem) return b;
    }
    return 0;
}

std::vector<int> BeamEdits::notesAt(ElementArray& notes, int stem) {
    std::vector<int> out;
    for (int i = 1; i <= notes.ubound(); ++i)
        if (ctx_.LoadedFlags.get(kColNotes, i) && notes.exists(i) && stemOf(notes[i]) == stem) out.push_back(i);
    return out;
}

bool BeamEdits::chosenNotes(lessons::CheckBoxArray& checks, ElementArray& notes, std::vector<int>& chosen) {
    bool inSequence = true, begun = false;
    for (int k = 1; k <= checks.ubound(); ++k) {
        QCheckBox* box = checks.at(k);
        if (!box) continue;
        if (box->isChecked()) {
            if (!inSequence) {
                refuse(QStringLiteral("Wrong Order of Selection"),
                       QStringLiteral("Invalid selection. Choose a group of notes in sequence."), ctx_.window.owner());
                return false;
            }
            begun = true;
            // A box over no note chooses nothing (never the template note).
            for (int i = 1; i <= notes.ubound(); ++i) {
                if (!ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i)) continue;
                if (notes.Left(i) == checks.Left(k)) {
                    chosen.push_back(i);
                    break;
                }
            }
        } else if (begun) {
            inSequence = false;
        }
    }
    return true;
}

bool BeamEdits::commonBeam(ElementArray& beams, ElementArray& notes, const std::vector<int>& chosen, int& beam) {
    beam = 0;
    for (size_t n = 0; n < chosen.size(); ++n) {
        const int b = FindNoteBeam(beams, notes[chosen[n]]);
        if (n > 0 && b != beam) {
            refuse(QStringLiteral("Wrong Selection"),
                   QStringLiteral("Invalid selection. Choose a group of notes under the same beam."),
                   ctx_.window.owner());
            return false;
        }
        beam = b;
    }
    return true;
}

void BeamEdits::resetChecks(lessons::CheckBoxArray& checks) {
    for (int k = 1; k <= checks.ubound(); ++k)
        if (QCheckBox* box = checks.at(k)) {
            box->setEnabled(true);
            box->setChecked(false);
        }
}

void BeamEdits::BeamAddEx(ElementArray& guard, lessons::CheckBoxArray& checks, ElementArray& beams,
                          ElementArray& notes) {
    if (guard.ubound() <= 0) return;
    std::vector<int> chosen;
    int b = 0;
    if (!chosenNotes(checks, notes, chosen) || !commonBeam(beams, notes, chosen, b)) return;
    for (int i : chosen) {
        const int code = getInt(notes[i], "Note");
        if (code < kShortest) put(notes[i], "Note", code + 1);
    }
    if (chosen.size() == 1 && b == 0) {
        put(notes[chosen.front()], "HideFlags", 0);
    } else if (chosen.empty()) {
        return;
    } else if (b > 0) {
        // The beam's lines follow the new values; an inner note's neighbours are the notes of
        // the items beside it.
        QObject* beam = beams[b];
        const int count = getInt(beam, "Count");
        auto noteOfItem = [&](int j) -> QObject* {
            const auto at = notesAt(notes, getInt(itemOf(beam, j), "StemPosition"));
            return at.empty() ? nullptr : notes[at.front()];
        };
        for (int j = 1; j <= count; ++j) {
            QObject* item = itemOf(beam, j);
            for (int i : notesAt(notes, getInt(item, "StemPosition"))) {
                QObject* n = notes[i];
                if (j == 1) {
                    put(item, "BeamsRight", beamLinesOf(n));
                } else if (j == count) {
                    put(item, "BeamsLeft", beamLinesOf(n));
                } else {
                    QObject* p = noteOfItem(j - 1);
                    QObject* q = noteOfItem(j + 1);
                    if (!p || !q) continue;
                    const auto lines = innerLines(p, n, q);
                    put(item, "BeamsLeft", lines.first);
                    put(item, "BeamsRight", lines.second);
                }
            }
        }
        beams.at(b)->update();
    } else {
        // Two or more unbeamed notes get a beam of their own, laid as the beam command lays
        // one: at the highest note, the stems drawn to it.
        int top = chosen.front();
        for (int i : chosen)
            if (notes.Top(i) < notes.Top(top)) top = i;
        Beaming(ctx_).makeBeam(beams, notes, chosen, top, kColBeams, false, true);
    }
    resetChecks(checks);
}

void BeamEdits::BeamRemoveEx(lessons::CheckBoxArray& checks, ElementArray& beams, ElementArray& notes,
                             lessons::LabelArray& labels) {
    std::vector<int> chosen;
    int b = 0;
    if (!chosenNotes(checks, notes, chosen) || !commonBeam(beams, notes, chosen, b)) return;
    for (int i : chosen) {
        const int code = getInt(notes[i], "Note");
        if (code > 2 && code != kDoubleWhole) put(notes[i], "Note", code - 1);
    }
    if (chosen.size() == 1 && b == 0) {
        put(notes[chosen.front()], "HideFlags", 0);
    } else if (chosen.empty()) {
        return;
    } else if (b > 0) {
        // The beam goes: its notes become quarters with their flags shown, and the tuplet
        // number over it goes with it.
        QObject* beam = beams[b];
        const int count = getInt(beam, "Count");
        std::vector<int> held;
        for (int j = 1; j <= count; ++j)
            for (int i : notesAt(notes, getInt(itemOf(beam, j), "StemPosition"))) held.push_back(i);
        if (!held.empty()) {
            for (int i : held) put(notes[i], "Note", 2);
            beams.setVisible(b, false);
            for (int i : held) put(notes[i], "HideFlags", 0);
            const double x = beamCentre(getInt(itemOf(beam, 1), "StemPosition"),
                                        getInt(itemOf(beam, count), "StemPosition"));
            for (int m = 1; m <= labels.ubound(); ++m) {
                if (!ctx_.LoadedFlags.get(kColLabels, m) || !labels.exists(m) || labels.Left(m) != x) continue;
                labels.unload(m);
                ctx_.LoadedFlags.set(kColLabels, m, false);
                break;
            }
            ctx_.LoadedFlags.set(kColBeams, b, false);
            beams.unload(b);
        }
    }
    resetChecks(checks);
}

void BeamEdits::toggleTupletLabel(ElementArray& beams, int b, ElementArray& notes, lessons::LabelArray& labels) {
    QObject* beam = beams[b];
    const int count = getInt(beam, "Count");
    if (count < 1) return;
    const double x =
        beamCentre(getInt(itemOf(beam, 1), "StemPosition"), getInt(itemOf(beam, count), "StemPosition"));
    for (int m = 1; m <= labels.ubound(); ++m) {
        if (!ctx_.LoadedFlags.get(kColLabels, m) || !labels.exists(m) || labels.Left(m) != x) continue;
        labels.unload(m);
        ctx_.LoadedFlags.set(kColLabels, m, false);
        return;
    }
    std::vector<int> ticks;
    for (int j = 1; j <= count; ++j)
        for (int i : notesAt(notes, getInt(itemOf(beam, j), "StemPosition"))) ticks.push_back(ticksOf(notes[i]));
    const int ub = labels.ubound();
    int k = 0;
    for (int i = 1; i <= ub + 1 && i <= kMaxElements && !k; ++i)
        if (!ctx_.LoadedFlags.get(kColLabels, i)) k = i;
    if (!k || labels.exists(k) || !labels.load(k)) return;
    ctx_.LoadedFlags.set(kColLabels, k, true);
    QLabel* label = labels[k];
    // The number's own looks: the label array's template stays as the lessons set it.
    QFont f = label->font();
    f.setPointSize(8);
    f.setBold(false);
    f.setItalic(true);
    label->setFont(f);
    labels.Move(k, x, 500);
    label->setText(QString::number(tupletNumber(ticks)));
    labels.setVisible(k, true);
    labels.ZOrder(k, 0);
}

void BeamEdits::AddTuplet(ElementArray& guard, lessons::CheckBoxArray& checks, ElementArray& beams,
                          ElementArray& notes, lessons::LabelArray& labels) {
    if (guard.ubound() <= 0) return;
    int anchor = 0;
    for (int k = 1; k <= checks.ubound() && !anchor; ++k) {
        QCheckBox* box = checks.at(k);
        if (!box || !box->isChecked()) continue;
        for (int i = 1; i <= notes.ubound() && !anchor; ++i)
            if (ctx_.LoadedFlags.get(kColNotes, i) && notes.exists(i) && notes.Left(i) == checks.Left(k)) anchor = i;
    }
    if (!anchor) return;
    const int b = FindNoteBeam(beams, notes[anchor]);
    if (!b) return;   // a note under no beam has no tuplet to mark
    for (int k = 1; k <= checks.ubound(); ++k)
        if (QCheckBox* box = checks.at(k)) box->setChecked(false);
    toggleTupletLabel(beams, b, notes, labels);
}

void BeamEdits::Tuplit(ElementArray& guard, ElementArray& beams, ElementArray& notes, lessons::LabelArray& labels,
                       int column) {
    if (guard.ubound() <= 0) return;
    int anchor = 0;
    for (int i = 1; i <= notes.ubound(); ++i) {
        if (!ctx_.LoadedFlags.get(kColNotes, i) || !notes.exists(i)) continue;
        if (quint32(getInt(notes[i], "ForeColor")) != kSelected) continue;
        if (!anchor || notes.Left(i) < notes.Left(anchor)) anchor = i;
    }
    if (!anchor) return;
    const int stem = stemOf(notes[anchor]);
    int b = 0;
    for (int k = 1; k <= beams.ubound() && !b; ++k)
        if (ctx_.LoadedFlags.get(column, k) && beams.exists(k) && beams.Left(k) == stem) b = k;
    if (!b) return;
    toggleTupletLabel(beams, b, notes, labels);
    ctx_.staff->ToggleBeamColor(qint16(anchor), notes, beams, column);
}

void BeamEdits::AddToneLabel(int kind, lessons::LineArray& lines, ElementArray& guard, lessons::LabelArray& labels) {
    if (kind > 0) {
        if (guard.ubound() <= 0) return;
        // Labels are told apart by being loaded: their own array, not a column of the table.
        const int ub = labels.ubound();
        bool room = ub < 8;
        for (int i = 1; i <= ub && !room; ++i) room = !labels.exists(i);
        int line = 0;
        for (int j = 1; room && j <= lines.ubound() && !line; ++j) {
            if (!lines.exists(j)) continue;
            const double x1 = lines.at(j)->X1();
            bool labelled = false;
            for (int i = 1; i <= ub && !labelled; ++i) labelled = labels.exists(i) && labels.Left(i) - 200 == x1;
            if (!labelled) line = j;
        }
        int k = 0;
        for (int i = 1; line && i <= ub + 1 && !k; ++i)
            if (!labels.exists(i)) k = i;
        if (k && labels.load(k)) {
            labels.ZOrder(k, 0);
            labels.setVisible(k, true);
            const double height = labels.exists(1) ? labels.Height(1) : labels.Height(k);
            labels.Move(k, lines.at(line)->X1() + 200, lines.at(0)->Y1() - height - 15);
            QLabel* label = labels[k];
            QLabel* model = labels[0];
            label->setFont(model->font());
            label->setPalette(model->palette());
            label->setAutoFillBackground(model->autoFillBackground());
            static const char* kCaptions[] = {"WT", "CS", "DS"};
            if (kind <= 3) label->setText(QString::fromLatin1(kCaptions[kind - 1]));
        }
    }
    ctx_.state.MouseDownFlag = false;
}

} // namespace palettes
