#pragma once
// Message boxes, file dialogs and modal windows go through one service, so core code never
// calls exec() itself and tests script the answers and read what was shown.
#include <QString>
#include <QStringList>
#include <QVector>
#include <deque>
#include <functional>
#include <map>

class QWidget;
class QDialog;

namespace platform {

// Buttons, icons and flags of a message box style (added together).
enum MsgStyle {
    OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5,
    Critical = 16, Question = 32, Exclamation = 48, Information = 64,
    DefaultButton2 = 256, DefaultButton3 = 512,
    HelpButton = 16384,
};
// Answers of a message box.
enum MsgAnswer { AnsOk = 1, AnsCancel = 2, AnsAbort = 3, AnsRetry = 4, AnsIgnore = 5, AnsYes = 6, AnsNo = 7 };

struct ShownMessage {
    QString text;
    int style = 0;
    QString title;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows a modal message box; returns one of MsgAnswer.
    virtual int messageBox(const QString& text, int style = OkOnly, const QString& title = QString(),
                           QWidget* owner = nullptr) = 0;
    // A message box whose Help button (style HelpButton) runs `onHelp` and leaves the box up
    // for its answer. Without the button it is messageBox.
    virtual int messageBoxWithHelp(const QString& text, int style, const QString& title, QWidget* owner,
                                   const std::function<void()>& onHelp) {
        (void)onHelp;
        return messageBox(text, style, title, owner);
    }
    // Common file dialog; empty text when cancelled. filter uses the "Text (*.txt)|*.txt" form.
    virtual QString openFileName(const QString& title, const QString& filter, const QString& dir = QString(),
                                 QWidget* owner = nullptr) = 0;
    virtual QString saveFileName(const QString& title, const QString& filter, const QString& dir = QString(),
                                 QWidget* owner = nullptr) = 0;
    // Runs a window modally (owned by `owner`); returns the dialog's result code.
    virtual int runModal(QDialog& dialog) = 0;

    static Dialogs& instance();
    static void setInstance(Dialogs* d);   // nullptr restores the real dialogs

    // The first button of a style's button set (what Enter would press).
    static int firstButton(int style);
};

// Where a window owned by `owner` opens: centred on the owner's window (or, while that is not
// shown, on the nearest one above it that is), frames included (its own frame reckoned like the
// owner's unless it has none), inside the owner's screen's available area. Without an owner
// shown it is left where it is.
void centreOnOwner(QWidget& window, const QWidget* owner);

// Real dialogs on screen; a message box or modal window with an owner opens centred on it.
class QtDialogs : public Dialogs {
public:
    int messageBox(const QString& text, int style, const QString& title, QWidget* owner) override;
    int messageBoxWithHelp(const QString& text, int style, const QString& title, QWidget* owner,
                           const std::function<void()>& onHelp) override;
    QString openFileName(const QString& title, const QString& filter, const QString& dir, QWidget* owner) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& dir, QWidget* owner) override;
    int runModal(QDialog& dialog) override;
};

// Test double: answers from queues, records everything shown.
class ScriptedDialogs : public Dialogs {
public:
    // An answer that presses the box's Help button; the box then takes the next answer.
    static constexpr int PressHelp = -1;
    int messageBox(const QString& text, int style, const QString& title, QWidget* owner) override;
    int messageBoxWithHelp(const QString& text, int style, const QString& title, QWidget* owner,
                           const std::function<void()>& onHelp) override;
    QString openFileName(const QString& title, const QString& filter, const QString& dir, QWidget* owner) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& dir, QWidget* owner) override;
    int runModal(QDialog& dialog) override;

    std::deque<int> answers;          // message box answers; empty: the style's first button
    std::deque<QString> files;        // file dialog answers; empty: cancelled ("")
    QVector<ShownMessage> shown;      // every message box, in order
    QStringList modalsShown;          // objectName of every modal window run
    QStringList fileDialogsAsked;     // "open" or "save", then the filter, of every file dialog
    // Drives a modal window by objectName (fill fields, click buttons) and returns its result.
    // Without a handler the window is rejected (0).
    std::map<QString, std::function<int(QDialog&)>> modalHandlers;
    std::function<int(QDialog&)> defaultModal;
};

// Installs a dialogs service for the lifetime of the guard.
class DialogsOverride {
public:
    explicit DialogsOverride(Dialogs* d) { Dialogs::setInstance(d); }
    ~DialogsOverride() { Dialogs::setInstance(nullptr); }
};

} // namespace platform
