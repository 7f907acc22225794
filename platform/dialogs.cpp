#include "dialogs.h"

#include "windowframe.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

namespace platform {
namespace {
Dialogs* g_dialogs = nullptr;

// "Text files (*.txt)|*.txt|All (*.*)|*.*" -> "Text files (*.txt);;All (*.*)"
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(';', ' ');
        if (!label.contains('(')) label += " (" + pattern + ")";
        out << label;
    }
    if (out.isEmpty() && !filter.isEmpty()) out << filter;
    return out.join(";;");
}

// Centred on its owner as it is shown, and again once it stands framed on the screen (its frame
// may differ from its owner's).
void centreWhenShown(QWidget& window) {
    centreOnOwner(window, window.parentWidget());
    whenFirstOnScreen(window, [w = QPointer<QWidget>(&window)] {
        if (w && w->isVisible()) centreOnOwner(*w, w->parentWidget());
    });
}

// A message box sizes itself as it is shown: it is centred after that.
class OwnedMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (!event->spontaneous()) centreWhenShown(*this);
    }
};

// A modal window has its size when it is shown: it is centred before it appears.
class CentreWhenShown : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !event->spontaneous())
            if (auto* w = qobject_cast<QWidget*>(watched)) centreWhenShown(*w);
        return false;
    }
};

} // namespace

void centreOnOwner(QWidget& window, const QWidget* owner) {
    // An owner not shown yet (a dialog telling something before it opens) stands where its own
    // owner is.
    while (owner && !owner->window()->isVisible()) owner = owner->window()->parentWidget();
    if (!owner) return;
    owner = owner->window();
    const QRect ownerFrame = frameGeometry(*owner);
    // Not framed yet, it will be framed like its owner.
    const QMargins own = frameMargins(window);
    const QMargins frame = (window.windowFlags() & Qt::FramelessWindowHint) ? QMargins()
                           : own.isNull()                                   ? frameMargins(*owner)
                                                                            : own;
    const QSize outer = window.size().grownBy(frame);
    QPoint at = ownerFrame.center() - QPoint((outer.width() - 1) / 2, (outer.height() - 1) / 2);
    if (const QScreen* screen = owner->screen()) {
        const QRect avail = screen->availableGeometry();
        at.setX(std::max(avail.left(), std::min(at.x(), avail.right() + 1 - outer.width())));
        at.setY(std::max(avail.top(), std::min(at.y(), avail.bottom() + 1 - outer.height())));
    }
    moveFrameTo(window, at, frame);
}

Dialogs& Dialogs::instance() {
    static QtDialogs real;
    return g_dialogs ? *g_dialogs : real;
}
void Dialogs::setInstance(Dialogs* d) { g_dialogs = d; }

int Dialogs::firstButton(int style) {
    switch (style & 7) {
    case OkCancel: return AnsOk;
    case AbortRetryIgnore: return AnsAbort;
    case YesNoCancel:
    case YesNo: return AnsYes;
    case RetryCancel: return AnsRetry;
    default: return AnsOk;
    }
}

int QtDialogs::messageBox(const QString& text, int style, const QString& title, QWidget* owner) {
    return messageBoxWithHelp(text, style, title, owner, {});
}

int QtDialogs::messageBoxWithHelp(const QString& text, int style, const QString& title, QWidget* owner,
                                  const std::function<void()>& onHelp) {
    OwnedMessageBox box(owner);
    box.setText(text);
    box.setWindowTitle(title);
    switch (style & 0x70) {
    case Critical: box.setIcon(QMessageBox::Critical); break;
    case Question: box.setIcon(QMessageBox::Question); break;
    case Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Information: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct B { QMessageBox::StandardButton b; int answer; };
    QVector<B> buttons;
    switch (style & 7) {
    case OkCancel: buttons = {{QMessageBox::Ok, AnsOk}, {QMessageBox::Cancel, AnsCancel}}; break;
    case AbortRetryIgnore: buttons = {{QMessageBox::Abort, AnsAbort}, {QMessageBox::Retry, AnsRetry}, {QMessageBox::Ignore, AnsIgnore}}; break;
    case YesNoCancel: buttons = {{QMessageBox::Yes, AnsYes}, {QMessageBox::No, AnsNo}, {QMessageBox::Cancel, AnsCancel}}; break;
    case YesNo: buttons = {{QMessageBox::Yes, AnsYes}, {QMessageBox::No, AnsNo}}; break;
    case RetryCancel: buttons = {{QMessageBox::Retry, AnsRetry}, {QMessageBox::Cancel, AnsCancel}}; break;
    default: buttons = {{QMessageBox::Ok, AnsOk}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const B& b : buttons) set |= b.b;
    box.setStandardButtons(set);
    const int def = (style & DefaultButton3) ? 2 : (style & DefaultButton2) ? 1 : 0;
    if (def < buttons.size()) box.setDefaultButton(buttons[def].b);
    if (style & HelpButton) box.addButton(QMessageBox::Help);
    // Help shows the help and asks again: the answer is one of the box's other buttons.
    box.exec();
    while (box.standardButton(box.clickedButton()) == QMessageBox::Help) {
        if (onHelp) onHelp();
        box.exec();
    }
    const auto clicked = box.standardButton(box.clickedButton());
    for (const B& b : buttons)
        if (b.b == clicked) return b.answer;
    // Closed with Escape or the window's close button.
    const bool hasCancel = (style & 7) == OkCancel || (style & 7) == YesNoCancel || (style & 7) == RetryCancel;
    return hasCancel ? AnsCancel : buttons.front().answer;
}

QString QtDialogs::openFileName(const QString& title, const QString& filter, const QString& dir, QWidget* owner) {
    return QFileDialog::getOpenFileName(owner, title, dir, qtFilter(filter));
}

QString QtDialogs::saveFileName(const QString& title, const QString& filter, const QString& dir, QWidget* owner) {
    return QFileDialog::getSaveFileName(owner, title, dir, qtFilter(filter));
}

int QtDialogs::runModal(QDialog& dialog) {
    CentreWhenShown centre;
    dialog.installEventFilter(&centre);
    const int result = dialog.exec();
    dialog.removeEventFilter(&centre);
    return result;
}

int ScriptedDialogs::messageBox(const QString& text, int style, const QString& title, QWidget* owner) {
    return messageBoxWithHelp(text, style, title, owner, {});
}

int ScriptedDialogs::messageBoxWithHelp(const QString& text, int style, const QString& title, QWidget*,
                                        const std::function<void()>& onHelp) {
    shown.push_back({text, style, title});
    for (;;) {
        if (answers.empty()) return firstButton(style);
        const int a = answers.front();
        answers.pop_front();
        if (a != PressHelp) return a;
        if ((style & HelpButton) && onHelp) onHelp();
    }
}

namespace {
QString nextFile(std::deque<QString>& files) {
    if (files.empty()) return QString();
    QString f = files.front();
    files.pop_front();
    return f;
}
} // namespace

QString ScriptedDialogs::openFileName(const QString&, const QString& filter, const QString&, QWidget*) {
    fileDialogsAsked << "open " + filter;
    return nextFile(files);
}

QString ScriptedDialogs::saveFileName(const QString&, const QString& filter, const QString&, QWidget*) {
    fileDialogsAsked << "save " + filter;
    return nextFile(files);
}

int ScriptedDialogs::runModal(QDialog& dialog) {
    modalsShown << dialog.objectName();
    auto it = modalHandlers.find(dialog.objectName());
    if (it != modalHandlers.end()) return it->second(dialog);
    if (defaultModal) return defaultModal(dialog);
    return 0;
}

} // namespace platform
