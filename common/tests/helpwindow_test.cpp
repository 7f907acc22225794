#include "common/helpwindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QString& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

// One window for every page; a page that is missing shows the index; the caller names it.
TEST(HelpWindow, ShowsThePageOrTheIndexInOneWindow) {
    QTemporaryDir dir;
    write(dir.filePath("index.html"), "<h1>Contents</h1>");
    write(dir.filePath("lesson1.html"), "<h1>Intervals</h1><a href='index.html'>back</a>");
    QWidget owner;
    common::HelpWindow* w = common::HelpWindow::showPage(dir.path(), "lesson1.html", "Tonvale Help", &owner);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Tonvale Help");
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->browser()->toPlainText().contains("Intervals"));
    EXPECT_TRUE(w->shownFile().endsWith("/lesson1.html"));

    EXPECT_EQ(common::HelpWindow::showPage(dir.path(), "lesson6.html", "Hallbrin Help", &owner), w);
    EXPECT_EQ(w->windowTitle(), "Hallbrin Help");
    EXPECT_TRUE(w->browser()->toPlainText().contains("Contents"));
    EXPECT_TRUE(w->shownFile().endsWith("/index.html"));

    // No help at all: an empty window says so rather than failing.
    QTemporaryDir empty;
    common::HelpWindow::showPage(empty.path(), "index.html", "Tonvale Help", &owner);
    EXPECT_TRUE(w->shownFile().isEmpty());
    EXPECT_FALSE(w->browser()->toPlainText().isEmpty());
}

} // namespace
