#pragma once
// The main window with a melody lesson's answer staff on it, as the melody lesson builds it:
// three segments (the clef and time-signature head, then two bars of 3/4), a treble clef, the
// bar lines, the time signature on staff 2 and the ten leger-line preview lines. Tests then
// click the real widgets.
#include "shelltestsupport.h"

#include "music/framework/dispatch.h"
#include "student/lessons/lessoncontext.h"
#include "student/palettes/paletteregistry.h"
#include "student/staff/staffeditor.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

namespace editortest {

using lessons::getInt;
using lessons::put;

class EditorTest : public shell::testing::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        frm = std::make_unique<shell::FrmTonvale>();
        frm->resize(1200, 800);
        frm->show();
        // The melody lesson entered as the lesson list enters it, then its staff.
        session().PlayerName = "Ann";
        frm->menus()->item("mnuPracticeMode")->setChecked(true);
        // The fixture lays out its own staff: the lesson's builder would load one first.
        lessons::LessonEntry own = frm->lessonTable.row(2);
        own.build = nullptr;
        frm->lessonTable.setRow(2, own);
        frm->SelectFrame(2);
        ASSERT_EQ(ctx().state.CurrentLesson, 2);
        buildStaff();
        QApplication::processEvents();
    }
    void TearDown() override {
        frm.reset();
        ShellTest::TearDown();
    }

    lessons::LessonContext& ctx() { return frm->context(); }
    lessons::NotationArrays& a() { return ctx().arrays; }
    staffedit::StaffEditor& editor() { return frm->staffEditor(); }
    palettes::PaletteRegistry& pal() { return frm->paletteWindows(); }
    lessons::ToolState& tools() { return ctx().state.tools; }

    // Segment i of a three-segment 3/4 staff (width factor 4).
    void buildStaff() {
        lessons::NotationArrays& arr = a();
        arr.NoteSymbol.Move(0, {}, {}, 550, 1760);
        put(arr.NoteSymbol[0], "NoteLeft", 15);
        put(arr.NoteSymbol[0], "AccidentalOffset", 0);
        put(arr.StaffLines[0], "LineWidth", 350);
        arr.tmMeter.setTop(0, 815);
        arr.BeamFlag.setHeight(0, 450);
        arr.KeySign.Move(0, {}, {}, 135, 495);
        put(arr.KeySign[0], "KeyMode", 0);
        const double left0 = 120, top0 = 465, w = 4;
        for (int i = 1; i <= 3; ++i) {
            ASSERT_TRUE(arr.StaffLines.load(i));
            double left = left0 + (i - 1) * 1800, width = arr.StaffLines.Width(0);
            if (i == 1) width = 600;
            if (i == 2) left -= 1200;
            if (i >= 3) left += (i - 2) * w * 200;
            if (i >= 2) width += w * 200 + (i == 2 ? 1200 : 0);
            arr.StaffLines.Move(i, left, top0, width, 1450);
            arr.StaffLines.setVisible(i, true);
            arr.StaffLines.ZOrder(i, 0);
        }
        ASSERT_TRUE(arr.ClefSymbol.load(1));
        arr.ClefSymbol.Move(1, arr.StaffLines.Left(1) + 60, 645);
        put(arr.ClefSymbol[1], "Clef", 0);
        arr.ClefSymbol.setVisible(1, true);
        arr.ClefSymbol.ZOrder(1, 0);
        ctx().LoadedFlags.set(3, 1, true);
        for (int i = 1; i <= 2; ++i) {
            ASSERT_TRUE(arr.Bar.load(i));
            arr.Bar.Move(i, arr.StaffLines.Left(i + 1) + arr.StaffLines.Width(i + 1) - 75, 930);
            if (i == 2) {
                put(arr.Bar[i], "BarLineType", 2);
                arr.Bar.setWidth(i, 150);
            }
            music::dispCall(arr.Bar[i], "Add", {int(arr.StaffLines.Top(i + 1) / 15) + getInt(arr.StaffLines[i + 1], "LineTop")});
            arr.Bar.setVisible(i, true);
            arr.Bar.ZOrder(i, 0);
        }
        ASSERT_TRUE(arr.tmMeter.load(1));
        arr.tmMeter.Move(1, arr.StaffLines.Left(1) + 160, arr.StaffLines.Top(1) + 350);
        put(arr.tmMeter[1], "Pulses", 2);
        put(arr.tmMeter[1], "NoteValue", 2);
        arr.tmMeter.setTag(1, "2");
        arr.tmMeter.setVisible(1, true);
        arr.tmMeter.ZOrder(1, 0);
        ctx().LoadedFlags.set(5, 1, true);
        for (int i = 1; i <= 10; ++i) ASSERT_TRUE(arr.lnLeger.load(i));
        put(arr.NoteSymbol[0], "Note", 0);
    }

    // ---- Pointer actions on a widget at twips inside it ----
    static QPoint px(double xTwips, double yTwips) { return QPoint(int(xTwips / 15), int(yTwips / 15)); }
    void press(QWidget* w, double x, double y) { QTest::mousePress(w, Qt::LeftButton, {}, px(x, y)); }
    void release(QWidget* w, double x, double y) { QTest::mouseRelease(w, Qt::LeftButton, {}, px(x, y)); }
    void click(QWidget* w, double x, double y) {
        press(w, x, y);
        release(w, x, y);
    }
    // A move with the button held (or not), delivered to `w` as Qt does while it holds the grab.
    void move(QWidget* w, double x, double y, bool held = true) {
        const QPointF at = px(x, y);
        QMouseEvent ev(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton,
                       held ? Qt::LeftButton : Qt::NoButton, {});
        QApplication::sendEvent(w, &ev);
    }
    void doubleClick(QWidget* w, double x, double y) {
        const QPointF at = px(x, y);
        auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
            QMouseEvent ev(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, {});
            QApplication::sendEvent(w, &ev);
        };
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        send(QEvent::MouseButtonDblClick, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
    }
    // Clicks a palette button with the mouse, as the student would (the window is opened
    // first; a hidden or disabled button takes no click).
    void tool(const QString& window, int button) {
        if (!pal().isVisible(window)) pal().show(window);
        QToolButton* b = pal().palette(window)->button(button);
        if (b && b->isVisible() && b->isEnabled()) QTest::mouseClick(b, Qt::LeftButton);
    }
    // Loaded notes, in index order.
    std::vector<int> notes() {
        std::vector<int> out;
        for (int i = 1; i <= a().NoteSymbol.ubound(); ++i)
            if (ctx().LoadedFlags.get(2, i) && a().NoteSymbol.exists(i)) out.push_back(i);
        return out;
    }
    // A click on staff `s` that lands `yTwips` below the staff element's top.
    void clickStaff(int s, double xTwips, double yTwips) { click(a().StaffLines[s], xTwips, yTwips); }

    std::unique_ptr<shell::FrmTonvale> frm;
};

} // namespace editortest
