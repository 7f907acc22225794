#include "helpwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace common {
namespace {
QPointer<HelpWindow> g_window;
} // namespace

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("txtHelp"));
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    layout->addWidget(browser_);
    resize(640, 520);
}

HelpWindow* HelpWindow::current() { return g_window.data(); }

HelpWindow* HelpWindow::showPage(const QString& folder, const QString& page, const QString& caption,
                                 QWidget* owner) {
    if (!g_window) g_window = new HelpWindow(owner);
    HelpWindow* w = g_window;
    const QDir dir(folder);
    QString file = dir.filePath(page);
    if (page.isEmpty() || !QFileInfo(file).isFile()) file = dir.filePath(QStringLiteral("index.html"));
    w->browser_->setSearchPaths({dir.absolutePath()});
    if (QFileInfo(file).isFile()) {
        w->shown_ = QFileInfo(file).absoluteFilePath();
        w->browser_->setSource(QUrl::fromLocalFile(w->shown_));
    } else {
        w->shown_.clear();
        w->browser_->setHtml(QStringLiteral("<p>No help is installed.</p>"));
    }
    w->setWindowTitle(caption);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

} // namespace common
