#pragma once
// A class server window on scratch folders, listening on a free loopback port, with scripted
// dialogs: the fixture of the window's tests.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <memory>
#include <optional>

#include "classserver/classserver.h"
#include "classserver/frmhallbrin.h"
#include "classserver/roster.h"
#include "platform/dialogs.h"
#include "testsupport.h"

namespace testsupport {

// Puts the empty class database into `share`/templates; false when it could not.
inline bool putTemplate(const QString& share) {
    QDir().mkpath(share + "/templates");
    return QFile::copy(templatePath(), share + "/templates/default.mdb");
}

// The copies of the working copy kept in a data folder ("default-<time>.mdb.bak"), by name.
inline QStringList keptCopies(const QString& folder) {
    QStringList out;
    for (const QString& name : QDir(folder).entryList({"*.bak"}, QDir::Files, QDir::Name)) out << folder + "/" + name;
    return out;
}

// A window's options on scratch folders, listening on `port` of the loopback address (0: any free port).
inline classserver::HallbrinOptions scratchOptions(const QString& data, const QString& share,
                                                   std::optional<quint16> port = quint16(0)) {
    classserver::HallbrinOptions o;
    o.dataFolder = data;
    o.shareFolder = share;
    o.port = port;
    o.address = QHostAddress::LocalHost;
    return o;
}

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        putTemplate(share.path());
        w = makeWindow();
        w->Form_Load();
        db = w->DatabasePath;
    }
    std::unique_ptr<classserver::frmHallbrin> makeWindow() {
        auto window = std::make_unique<classserver::frmHallbrin>(scratchOptions(data.path(), share.path()));
        window->server().setRequestTimeoutMs(2000);
        window->server().setShutdownTimeoutMs(2000);
        return window;
    }
    // The tree node with this key (and StudentID, for students).
    QTreeWidgetItem* node(const QString& key, qint64 student = 0) const { return w->tvwLesson->findNode(key, student); }
    void select(QTreeWidgetItem* n) { w->tvwLesson->setCurrentItem(n); }
    void select(const QString& key, qint64 student = 0) { select(node(key, student)); }
    // The list's rows, cells joined by "|".
    QStringList listRows() const {
        QStringList out;
        for (int i = 0; i < w->lvwLesson->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < w->lvwLesson->columnCount(); ++c) cells << w->lvwLesson->topLevelItem(i)->text(c);
            out << cells.join('|');
        }
        return out;
    }
    QStringList headers() const {
        QStringList out;
        for (int c = 0; c < w->lvwLesson->columnCount(); ++c) out << w->lvwLesson->headerItem()->text(c);
        return out;
    }
    // Texts of a node's children.
    static QStringList children(const QTreeWidgetItem* n) {
        QStringList out;
        for (int i = 0; n && i < n->childCount(); ++i) out << n->child(i)->text(0);
        return out;
    }

    QTemporaryDir data;
    QTemporaryDir share;
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard{&dialogs};
    std::unique_ptr<classserver::frmHallbrin> w;
    QString db;
};

} // namespace testsupport
