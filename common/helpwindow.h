#pragma once
// The help window both programs use: one window per program that shows the HTML pages of a
// help folder (the share folder's help/). The caller names the page and the caption; a page
// that is missing shows the folder's index.html instead. Links between pages work.
#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace common {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // Shows `page` (a file name inside `folder`, such as "lesson1.html") with `caption` in the
    // one help window, making it when needed (owned by `owner`, a window of its own), and
    // brings it to the front. Returns the window.
    static HelpWindow* showPage(const QString& folder, const QString& page, const QString& caption,
                                QWidget* owner = nullptr);
    // The help window when one was made and is still there.
    static HelpWindow* current();

    QTextBrowser* browser() const { return browser_; }
    // The file shown (absolute path), empty when not even the index exists.
    QString shownFile() const { return shown_; }

private:
    explicit HelpWindow(QWidget* owner);
    QTextBrowser* browser_;
    QString shown_;
};

} // namespace common
