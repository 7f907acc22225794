#include "menus.h"

#include "pictures.h"

#include "student/sound/devicemenu.h"

#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>

namespace shell {

namespace {
const char* kIndexProperty = "menuIndex";
} // namespace

MainMenus::MainMenus(QMenuBar* bar, QObject* parent) : QObject(parent), bar_(bar) {
    auto top = [this](const QString& name, const QString& caption) {
        QMenu* m = bar_->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        menus_.insert(name, m);
        items_.insert(name, m->menuAction());
        order_ << name;
        return m;
    };

    QMenu* file = top("mnuFile", "&File");
    add(file, "mnuGamePlayer", "Select &Player...");
    add(file, "mnuChangePassword", "&Change Password...");
    separator(file, "mnuSpace1");
    add(file, "mnuExport", "&Export Player...");
    add(file, "mnuImport", "&Import Player...");
    separator(file, "mnuSpace2");
    add(file, "mnuFileExit", "E&xit");

    QMenu* view = top("mnuView", "&View");
    add(view, "mnuViewAccidentals", "&Accidentals", true);
    add(view, "mnuViewCadence", "&Cadence", true);
    add(view, "mnuViewIntervals", "&Intervals", true);
    add(view, "mnuInversion", "In&versions", true);
    add(view, "mnuViewNoteSymbols", "&Note Symbols", true);
    add(view, "mnuViewMisc", "&Miscellaneous", true);
    add(view, "mnuViewRests", "&Rest Symbols", true);
    add(view, "mnuViewTime", "Time &Signature", true);
    separator(view, "mnuSpace3");
    add(view, "mnuPiano", "&Piano Keyboard", true);
    add(view, "mnuDrum", "&Drum", true);
    separator(view, "mnuSpace4");
    add(view, "mnuViewReport", "R&eport");

    QMenu* game = top("mnuGame", "&Lesson");
    add(game, "mnuGameNewLesson", "&New Lesson");
    add(game, "mnuGameRestart", "&Restart Lesson");

    QMenu* option = top("mnuOption", "&Options");
    add(option, "mnuBounds", "&Score Settings...");
    add(option, "mnuPracticeMode", "&Practice Mode", true);
    separator(option, "mnuSpace5");
    QMenu* terms = option->addMenu("&Interval Terminology");
    terms->setObjectName("mnuTerms");
    terms->menuAction()->setObjectName("mnuTerms");
    menus_.insert("mnuTerms", terms);
    items_.insert("mnuTerms", terms->menuAction());
    order_ << "mnuTerms";
    terms_.resize(4);
    const char* termCaptions[] = {"", "+, -, &x, o", "&M, m, A, d", "maj, min, &aug, dim"};
    for (int i = 1; i <= 3; ++i) {
        QAction* a = terms->addAction(QString::fromLatin1(termCaptions[i]));
        a->setObjectName("mnuIntervalTerm");
        a->setProperty(kIndexProperty, i);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { emit command("mnuIntervalTerm", i); });
        terms_[i] = a;
        order_ << QString("mnuIntervalTerm(%1)").arg(i);
    }

    QMenu* configure = top("mnuConfigure", "&Configure");
    add(configure, "mnuConfigNetwork", "&Network");
    add(configure, "mnuConfigReport", "&Customize Report");

    deviceMenu_ = top("mnuMIDI", "&MIDI");
    setDevices({"MIDI Mapper"});

    QMenu* help = top("mnuHelp", "&Help");
    add(help, "mnuHelpContent", "&Help Contents...");
    separator(help, "mnuSpace6");
    add(help, "mnuAbout", "&About...");
}

QAction* MainMenus::add(QMenu* menu, const QString& name, const QString& caption, bool checkable) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setCheckable(checkable);
    connect(a, &QAction::triggered, this, [this, a, name, checkable] {
        if (checkable) a->setChecked(!a->isChecked());   // undo Qt's own toggle
        emit command(name, -1);
    });
    items_.insert(name, a);
    order_ << name;
    return a;
}

void MainMenus::separator(QMenu* menu, const QString& name) {
    QAction* s = menu->addSeparator();
    s->setObjectName(name);
}

QAction* MainMenus::item(const QString& name) const { return items_.value(name, nullptr); }
QMenu* MainMenus::menu(const QString& name) const { return menus_.value(name, nullptr); }

QAction* MainMenus::device(int index) const {
    return index >= 0 && index < devices_.size() ? devices_[index] : nullptr;
}

QAction* MainMenus::intervalTerm(int index) const {
    return index >= 1 && index <= 3 ? terms_[index] : nullptr;
}

void MainMenus::setDevices(const QStringList& captions) {
    int checked = -1;
    for (int i = 0; i < devices_.size(); ++i)
        if (devices_[i]->isChecked()) checked = i;
    for (QAction* a : devices_) {
        order_.removeAll(QString("mnuDevice(%1)").arg(a->property(kIndexProperty).toInt()));
        deviceMenu_->removeAction(a);
        a->deleteLater();
    }
    devices_.clear();
    const QStringList all = sound::DeviceMenu::withAccessKeys(captions.isEmpty() ? QStringList{"MIDI Mapper"} : captions);
    for (int i = 0; i < all.size(); ++i) {
        QAction* a = deviceMenu_->addAction(all[i]);
        a->setObjectName("mnuDevice");
        a->setProperty(kIndexProperty, i);
        a->setCheckable(true);
        a->setChecked(i == checked);
        connect(a, &QAction::triggered, this, [this, a, i] {
            a->setChecked(!a->isChecked());   // the device command moves the check mark
            emit command("mnuDevice", i);
        });
        devices_ << a;
        order_ << QString("mnuDevice(%1)").arg(i);
    }
}

void MainMenus::checkDevice(int index) {
    for (int i = 0; i < devices_.size(); ++i) devices_[i]->setChecked(i == index);
}

QStringList MainMenus::itemNames() const { return order_; }

MainToolbar::MainToolbar(QToolBar* bar, QObject* parent) : QObject(parent), bar_(bar) {
    bar_->setObjectName("Toolbar");
    bar_->setMovable(false);
    bar_->setFloatable(false);
    bar_->setIconSize(QSize(24, 24));
    struct Spec { const char* key; const char* tip; int image; };
    const Spec specs[] = {
        {"User", "New Player", ImgUser},       {"New", "New Lesson", ImgNew},
        {nullptr, nullptr, 0},                 {"Practice", "Practice", ImgPracticeOff},
        {nullptr, nullptr, 0},                 {"Report", "Report", ImgReport},
        {nullptr, nullptr, 0},                 {"Piano", "Piano Keyboard", ImgPiano},
        {"Drum", "Drum", ImgDrum},
    };
    for (const Spec& s : specs) {
        if (!s.key) {
            buttons_ << bar_->addSeparator();
            continue;
        }
        QAction* a = bar_->addAction(toolbarImage(s.image), QString::fromLatin1(s.tip));
        a->setObjectName(QString::fromLatin1(s.key));
        a->setToolTip(QString::fromLatin1(s.tip));
        const QString key = QString::fromLatin1(s.key);
        connect(a, &QAction::triggered, this, [this, key] { emit buttonClick(key); });
        buttons_ << a;
    }
    practiceImage_ = ImgPracticeOff;
}

QAction* MainToolbar::button(int index) const {
    return index >= 1 && index <= buttons_.size() ? buttons_[index - 1] : nullptr;
}

QAction* MainToolbar::buttonByKey(const QString& key) const {
    for (QAction* a : buttons_)
        if (a->objectName() == key) return a;
    return nullptr;
}

void MainToolbar::setPracticeImage(int image) {
    practiceImage_ = image;
    QAction* a = button(kButtonPractice);
    if (!a) return;
    // The lamp tells the mode also where the button cannot be pressed (inside a lesson): there
    // it keeps its colours, a little faded, where the style's grey would make its three
    // pictures alike and the blink unseen.
    QIcon icon = toolbarImage(image);
    const QPixmap lamp = icon.pixmap(bar_->iconSize());
    QPixmap faded(lamp.size());
    faded.setDevicePixelRatio(lamp.devicePixelRatio());
    faded.fill(Qt::transparent);
    QPainter p(&faded);
    p.setOpacity(0.7);
    p.drawPixmap(0, 0, lamp);
    p.end();
    icon.addPixmap(faded, QIcon::Disabled);
    a->setIcon(icon);
}

} // namespace shell
