#pragma once
// Input as a student gives it: through the window system to a widget's window first, so that it
// passes every filter of the application on its way, as a mouse's click or a finger's tap does.
// (Tests that use it link Qt6::Test.)
#include <QPointingDevice>
#include <QTest>
#include <QWidget>
#include <QWindow>

// A left click at the middle of a widget.
inline void clickThroughWindow(QWidget* w) {
    QWidget* top = w->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, w->mapTo(top, w->rect().center()));
}

// A finger's tap on a touch screen at the middle of a widget.
inline void tapThroughWindow(QWidget* w) {
    static QPointingDevice* const screen = QTest::createTouchDevice();
    QWidget* top = w->window();
    const QPoint at = w->mapTo(top, w->rect().center());
    QTest::touchEvent(top->windowHandle(), screen).press(0, at);
    QTest::touchEvent(top->windowHandle(), screen).release(0, at);
}
