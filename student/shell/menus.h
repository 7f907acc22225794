#pragma once
// The main window's menu bar and toolbar: every item by its name, with its caption, and the
// toolbar's buttons by their 1-based position (separators counted) and key. Commands come
// out as one signal carrying the item's name (and index for the menu arrays), so the window
// dispatches them and tests can fire any of them.
#include <QAction>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>

class QMenu;
class QMenuBar;
class QToolBar;

namespace shell {

class MainMenus : public QObject {
    Q_OBJECT
public:
    // Fills `bar` with the whole menu tree. The device menu starts with "MIDI Mapper" only.
    explicit MainMenus(QMenuBar* bar, QObject* parent = nullptr);

    // A menu item by name ("mnuGame" is the Lesson menu's title); nullptr when unknown.
    QAction* item(const QString& name) const;
    QMenu* menu(const QString& name) const;
    // The menu arrays: mnuDevice 0.., mnuIntervalTerm 1..3.
    QAction* device(int index) const;
    int deviceCount() const { return int(devices_.size()); }
    QAction* intervalTerm(int index) const;

    // Captions of the device menu: element 0 the mapper, then one per output device, each shown
    // with an access key of its own. The array grows with the list; nothing is ever cut off.
    void setDevices(const QStringList& captions);
    // Exactly item `index` checked.
    void checkDevice(int index);

    // Every named item in menu order (separators left out), as "name" or "name(index)".
    QStringList itemNames() const;

signals:
    void command(const QString& name, int index);

private:
    QAction* add(QMenu* menu, const QString& name, const QString& caption, bool checkable = false);
    void separator(QMenu* menu, const QString& name);

    QMenuBar* bar_;
    QMenu* deviceMenu_ = nullptr;
    QHash<QString, QAction*> items_;
    QHash<QString, QMenu*> menus_;
    QStringList order_;
    QVector<QAction*> devices_;
    QVector<QAction*> terms_;   // index 0 unused
};

// Main toolbar button keys and their positions.
inline constexpr int kButtonUser = 1, kButtonNew = 2, kButtonPractice = 4, kButtonReport = 6,
                     kButtonPiano = 8, kButtonDrum = 9;

class MainToolbar : public QObject {
    Q_OBJECT
public:
    explicit MainToolbar(QToolBar* bar, QObject* parent = nullptr);
    // Button by 1-based position, separators counted; nullptr outside 1..count.
    QAction* button(int index) const;
    QAction* buttonByKey(const QString& key) const;
    int count() const { return int(buttons_.size()); }
    // Shows image `image` of the main image list on the Practice button.
    void setPracticeImage(int image);
    int practiceImage() const { return practiceImage_; }
    QToolBar* bar() const { return bar_; }

signals:
    void buttonClick(const QString& key);

private:
    QToolBar* bar_;
    QVector<QAction*> buttons_;
    int practiceImage_ = 0;
};

} // namespace shell
