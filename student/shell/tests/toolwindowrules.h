#pragma once
// The rules the tool windows (palettes, piano, drum pad) keep on the screen, read from the real
// windows: each inside the screen's available area, wide enough for its title bar to show its
// title whole (in bold) beside its icon and three buttons, none over another, none over what the
// lesson needs in sight (the main window's title bar, menu bar, toolbar, score frame and status
// bar, the lesson's speakers, staves, notes, answer lines, labels and item buttons).
#include "student/shell/mainwindow.h"

#include "platform/windowframe.h"
#include "student/palettes/paletteregistry.h"
#include "student/shell/menus.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <gtest/gtest.h>

namespace shell::testing {

using NamedRects = std::vector<std::pair<QString, QRect>>;

inline std::string text(const QRect& r) {
    return QString("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

// What of the main window the lesson needs in sight, by name, in screen pixels.
inline NamedRects mustStayInSight(FrmTonvale& frm) {
    NamedRects out;
    auto add = [&](const QString& name, const QWidget* w) {
        if (!w || !w->isVisible()) return;
        const QRect r = QRect(w->mapToGlobal(QPoint(0, 0)), w->size()) & frm.geometry();
        if (!r.isEmpty()) out.emplace_back(name, r);
    };
    const QRect frame = platform::frameGeometry(frm);
    if (frm.geometry().top() > frame.top())
        out.emplace_back("title bar", QRect(frame.left(), frame.top(), frame.width(), frm.geometry().top() - frame.top()));
    add("menu bar", frm.menuBar());
    add("toolbar", frm.toolbar()->bar());
    add("score frame", frm.fraScore);
    add("status bar", frm.statusBar());
    add("cmdNext", frm.cmdNext);
    add("cmdPrevious", frm.cmdPrevious);
    lessons::NotationArrays& a = *frm.arrays;
    auto addArray = [&](const char* name, const auto& array) {
        for (int i : array.indices())
            if (i > 0) add(QString("%1(%2)").arg(name).arg(i), array[i]);
    };
    addArray("cmdSpeaker", a.cmdSpeaker);
    addArray("StaffLines", a.StaffLines);
    addArray("NoteSymbol", a.NoteSymbol);
    addArray("LineBase", a.LineBase);
    addArray("lblLetter", a.lblLetter);
    addArray("lblAs", a.lblAs);
    return out;
}

// The tool windows open, by name, with their frames.
inline NamedRects openToolWindows(FrmTonvale& frm) {
    NamedRects open;
    for (const lessons::PaletteInfo& p : lessons::paletteInfos()) {
        const QWidget* w = frm.paletteWindows().window(QString::fromLatin1(p.window));
        if (w && w->isVisible()) open.emplace_back(QString::fromLatin1(p.window), platform::frameGeometry(*w));
    }
    return open;
}

// The narrowest frame that shows a title whole: the title in bold with 8 pixels each side, and
// the window's icon and three buttons of 16 pixels each.
inline int titleNeeds(const QString& title) {
    QFont bold = QApplication::font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(title) + 2 * 8 + 4 * 16;
}

inline void expectToolWindowsKeepTheRules(FrmTonvale& frm, const QRect& available) {
    const NamedRects open = openToolWindows(frm), keep = mustStayInSight(frm);
    for (size_t i = 0; i < open.size(); ++i) {
        const auto& [name, r] = open[i];
        const QWidget* window = frm.paletteWindows().window(name);
        const QString title = window->windowTitle();
        // A palette keeps the size its buttons need: its title bar offers a close box only.
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << name.toStdString() << " leaves its title bar to the desktop";
        EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint))
            << name.toStdString() << " can be minimized or maximized";
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint) << name.toStdString() << " has no close box";
        EXPECT_GE(r.width(), titleNeeds(title)) << name.toStdString() << " " << text(r) << " cuts its title \""
                                                << title.toStdString() << "\"";
        EXPECT_TRUE(available.contains(r))
            << name.toStdString() << " " << text(r) << " outside the screen's " << text(available);
        for (size_t j = i + 1; j < open.size(); ++j)
            EXPECT_FALSE(r.intersects(open[j].second))
                << name.toStdString() << " " << text(r) << " over " << open[j].first.toStdString() << " "
                << text(open[j].second);
        for (const auto& [what, k] : keep)
            EXPECT_FALSE(r.intersects(k)) << name.toStdString() << " " << text(r) << " over the "
                                          << what.toStdString() << " " << text(k);
    }
}

} // namespace shell::testing
