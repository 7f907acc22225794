#pragma once
// A written lesson on a bare lesson frame: the real builder lays out its staves from the
// templates as the lesson frame's reset leaves them, then a test writes an answer on the real
// arrays as the staff editor leaves it (notes and rests in time order on their staves with
// Tag, Left, Top, value and RhythmicOffset; beams from the first note's stem; key-signature
// accidentals in their slots) and marks it through the lesson table's row. The benchmarks use it
// too, so it stays free of the test framework.
#include "lessontestsupport.h"

#include "student/lessons/lessontable.h"
#include "student/lessons/written/notationchecks.h"
#include "student/lessons/written/writtenexercises.h"
#include "student/staff/staffmath.h"

#include "common/random.h"
#include "music/framework/dispatch.h"
#include "platform/dialogs.h"
#include "music/note/note.h"

#include <QMap>
#include <QStringList>
#include <map>

namespace lessons::testing {

// The editor's step of a note: its head against its staff's bottom line, 75 twips a step.
class StepSeam : public StaffSeam {
public:
    qint16 NoteMouseMove(int index, double, double, ElementArray& notes, int& staffIndex) override {
        staffIndex = notes.Tag(index).toInt();
        return qint16((bottomLine(staffIndex) - notes.Top(index)) / 75);
    }
    // The Top of a note control whose head sits on the staff's bottom line.
    double bottomLine(int staff) const {
        return staffedit::bottomLineRef(arrays->StaffLines.Top(staff), getInt(arrays->StaffLines[staff], "LineTop"),
                                        getInt(arrays->StaffLines[staff], "LineSpace"),
                                        getInt(arrays->NoteSymbol[0], "NoteTop"));
    }
};

class WrittenFixture : public LessonFixture {
public:
    WrittenFixture() {
        stepSeam.arrays = arrays.get();
        ctx->staff = &stepSeam;
        resetLessonFrame();
    }

    // What the lesson frame's reset leaves for a staff lesson.
    void resetLessonFrame() {
        NotationArrays& a = *arrays;
        a.StaffLines.Move(0, 120, 465, 1800, 1995);
        put(a.StaffLines[0], "LineTop", 30);
        put(a.StaffLines[0], "LineLeft", 0);
        put(a.StaffLines[0], "LineWidth", 150);
        put(a.StaffLines[0], "LineNumbers", 5);
        a.NoteSymbol.Move(0, 1370, 495, 550, 1760);
        put(a.NoteSymbol[0], "Note", 0);
        put(a.NoteSymbol[0], "NoteTop", 20);
        a.Bar.Move(0, 2435, 930, 75, 8500);
        put(a.Bar[0], "BreakBar", true);
        a.ClefSymbol.Move(0, 285, 645);
        a.ChordSymbol.Move(0, 2300, 2070);
        a.KeySign.Move(0, {}, {}, 135, 495);
        put(a.KeySign[0], "KeyMode", 0);
    }

    // The builder's draws: the values given (metre, key), then a fixed stream (the melody or
    // rhythm the test usually replaces).
    class Draws : public common::Random {
    public:
        explicit Draws(std::vector<double> first) : first_(std::move(first)) {}
        double next() override { return pos_ < first_.size() ? first_[pos_++] : rest_.next(); }
    private:
        std::vector<double> first_;
        size_t pos_ = 0;
        common::SeededRandom rest_{1};
    };

    // Builds lesson `lesson` at CurrentLevel `level` with the draws given (practice mode).
    void build(int lesson, int level, std::vector<double> draws = {0.0}) {
        Draws random(std::move(draws));
        common::Random::setInstance(&random);
        state.CurrentLesson = qint16(lesson);
        state.CurrentLevel = qint16(level);
        table.row(lesson).build(*ctx);
        common::Random::setInstance(nullptr);
    }
    // The melody (pitches relative to the tonic) or rhythm the student heard.
    void heard(std::vector<TimedNote> notes) { state.items.NoteTable = std::move(notes); }
    void heardRhythm(std::initializer_list<int> ms) {
        state.items.NoteTable.clear();
        for (int d : ms) state.items.NoteTable.push_back({-20, qint16(d)});
    }

    // Writes symbols on a staff after those already there, as the editor's adders place them:
    // tokens "q", "e.", "s" (whole w, half h, quarter q, eighth e, sixteenth s, a dot each '.'),
    // a leading 'r' for a rest, a trailing staff step (0 = bottom line; 4 when none) and a
    // trailing 'b' or '#' for the note's own accidental; '[' before and ']' after a token open
    // and close a beam. Returns the written indices.
    std::vector<int> write(int staff, const QString& text) {
        std::vector<int> out;
        std::vector<int> group;
        bool inBeam = false;
        for (QString token : text.split(' ', Qt::SkipEmptyParts)) {
            if (token.startsWith('[')) {
                inBeam = true;
                token.remove(0, 1);
            }
            const bool closes = token.endsWith(']');
            if (closes) token.chop(1);
            const int i = writeOne(staff, token);
            out.push_back(i);
            if (inBeam) group.push_back(i);
            if (closes) {
                beam(group);
                group.clear();
                inBeam = false;
            }
        }
        return out;
    }

    int writeOne(int staff, QString token) {
        NotationArrays& a = *arrays;
        const bool rest = token.startsWith('r');
        if (rest) token.remove(0, 1);
        static const QString kValues = QStringLiteral("whqes");
        const int name = int(kValues.indexOf(token[0]));
        token.remove(0, 1);
        int dots = 0;
        while (token.startsWith('.')) ++dots, token.remove(0, 1);
        int accidental = 0;
        if (token.endsWith('b')) accidental = 2, token.chop(1);
        else if (token.endsWith('#')) accidental = 1, token.chop(1);
        const int step = token.isEmpty() ? 4 : token.toInt();

        // The staff's earlier notes: their ticks and the spacing correction.
        const QString tag = QString::number(staff);
        double before = 0, correction = 0;
        for (int i : written::loadedNotes(a, flags))
            if (a.NoteSymbol.Tag(i) == tag) {
                before += written::noteValue(a, i);
                correction += staffedit::spacingCorrection(written::noteValue(a, i));
            }
        const int i = a.NoteSymbol.next();
        if (!a.NoteSymbol.load(i)) return 0;
        flags.set(written::ColNotes, i, true);
        a.NoteSymbol.ZOrder(i);
        QWidget* n = a.NoteSymbol[i];
        put(n, "Note", name);
        put(n, "DotsNumberOf", dots);
        put(n, "AccidentalName", accidental);
        if (rest) put(n, "Rest", -1);
        put(n, "RhythmicOffset", int(before) + written::noteValue(a, i));
        const double left = staffedit::noteLeftByDuration(a.StaffLines.Left(staff), -160, before, 980, correction);
        const double top = rest ? staffedit::restTop(a.StaffLines.Top(staff), name, getInt(n, "NoteTop"))
                                : stepSeam.bottomLine(staff) - 75.0 * step;
        a.NoteSymbol.Move(i, left, top);
        a.NoteSymbol.setVisible(i, true);
        a.NoteSymbol.setTag(i, tag);
        return i;
    }

    // A beam over `notes`, starting at the first one's stem; their flags hide under it.
    int beam(const std::vector<int>& notes) {
        NotationArrays& a = *arrays;
        const int k = a.BeamFlag.next();
        if (!a.BeamFlag.load(k)) return 0;
        flags.set(written::ColBeams, k, true);
        auto* first = written::noteAt(a, notes.front());
        a.BeamFlag.Move(k, first->StemPosition(), a.NoteSymbol.Top(notes.front()));
        for (int i : notes) {
            music::Note* n = written::noteAt(a, i);
            n->setHideFlags(-1);
            music::dispCall(a.BeamFlag[k], "Add", {0, 0, -1, n->StemPosition()});
        }
        a.BeamFlag.setVisible(k, true);
        a.BeamFlag.setTag(k, a.NoteSymbol.Tag(notes.front()));
        return k;
    }

    // Key-signature accidental in slot `slot` of staff 2, `row` steps below its top line.
    int keyAccidental(int slot, int sign, int row) {
        NotationArrays& a = *arrays;
        const int i = a.KeySign.next();
        if (!a.KeySign.load(i)) return 0;
        flags.set(written::ColKeySign, i, true);
        const staffedit::Point p =
            staffedit::keyAccidentalPosition(a.StaffLines.Left(2), a.StaffLines.Top(2), 450 + 75.0 * row, slot, -495);
        a.KeySign.Move(i, p.left, p.top);
        put(a.KeySign[i], "AccidentalSign", sign);
        put(a.KeySign[i], "RhythmicOffset", slot);
        a.KeySign.setTag(i, "2");
        a.KeySign.setVisible(i, true);
        return i;
    }

    // Stop: the scoring cycle's head, then the lesson's marking.
    double mark() {
        state.ExerciseScore = 0;
        table.row(state.CurrentLesson).mark(*ctx);
        return state.ExerciseScore;
    }

    // Every element marked red, by kind and index ("n3", "k1", "b2", "m"), with its tool tip;
    // a black element that still shows a tool tip is listed as "!n3".
    QMap<QString, QString> marks() const {
        QMap<QString, QString> out;
        const NotationArrays& a = *arrays;
        auto scan = [&out](const ElementArray& arr, const char* kind) {
            for (int i = 1; i <= arr.ubound(); ++i) {
                QWidget* w = arr.at(i);
                if (!w) continue;
                const bool red = music::dispGet(w, "ForeColor").toUInt() == 255;
                if (red) out[QString("%1%2").arg(kind).arg(i)] = w->toolTip();
                else if (!w->toolTip().isEmpty()) out[QString("!%1%2").arg(kind).arg(i)] = w->toolTip();
            }
        };
        scan(a.NoteSymbol, "n");
        scan(a.KeySign, "k");
        scan(a.BeamFlag, "b");
        if (QWidget* m = a.tmMeter.at(1)) {
            if (music::dispGet(m, "ForeColor").toUInt() == 255) out["m"] = m->toolTip();
            else if (!m->toolTip().isEmpty()) out["!m"] = m->toolTip();
        }
        return out;
    }

    StepSeam stepSeam;
    LessonTable table;
    // No box ever waits for an answer.
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride dialogsGuard{&dialogs};
};

// The longest answers of each lesson, written right: lesson 2's top level (eleven notes over
// three bars of four-four in D major, two beams, the two-sharp signature) and lesson 4's
// (thirteen notes over four bars of three-four, four beams).
inline void writeTopLevelMelody(WrittenFixture& f) {
    f.build(2, 13, {0.0, 0.75});
    f.heard({{0, 1000}, {2, 500}, {4, 500}, {5, 1000}, {7, 1000}, {9, 500}, {7, 500}, {5, 1000}, {4, 1000},
             {2, 1000}, {0, 1000}});
    f.keyAccidental(0, 1, 0);
    f.keyAccidental(1, 1, 3);
    f.write(2, "q-1 [e0 e1] q2 q3");
    f.write(3, "[e4 e3] q2 q1 q0");
    f.write(4, "q-1 rq rq rq");
}
inline void writeTopLevelRhythm(WrittenFixture& f) {
    f.build(4, 7, {0.0});
    f.heardRhythm({1000, 500, 500, 1000, 750, 250, 500, 500, 1000, 500, 500, 1000, 1000});
    f.write(2, "q [e e] q");
    f.write(3, "[e. s] [e e] q");
    f.write(4, "[e e] q q");
    f.write(5, "rq rq rq");
}

} // namespace lessons::testing
