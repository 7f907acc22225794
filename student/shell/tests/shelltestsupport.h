#pragma once
// Set-up shared by the main-window tests: a private data folder, a fresh player session,
// scripted dialogs, recorder MIDI devices and song player, and a class-server address on
// which nobody listens.
#include "student/shell/mainwindow.h"

#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "platform/paths.h"
#include "platform/songs/songplayer.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace shell::testing {

// A left click on a widget as the student makes it (through the application's filters).
inline void click(QWidget* w, QPoint at = QPoint(3, 3)) {
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

inline QString lines(std::initializer_list<const char*> ls) {
    QString out;
    for (const char* l : ls) out += QString::fromUtf8(l) + common::CRLF;
    return out;
}

// A profile with two players; Ann has progress in lessons 1 and 3.
inline QString twoPlayerProfile() {
    return lines({"begin", "name=Ann", "password=pw", "upper=85", "lower=70", "practice=true", "interval=2",
                  "lesson1=L4S75M3Q6", "lesson3=L2S100M0Q1", "end", "begin", "name=Bob", "password=b",
                  "upper=89", "lower=79", "end"});
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousData_ = platform::Paths::dataFolder();
        platform::Paths::setDataFolder(dir_.path());
        tonvale::PlayerSession::instance().reset();
        // Nobody listens on the loopback's port 1: the start-up connect fails at once.
        classlink::writeClientConfig(dir_.filePath("Client.cfg"), "127.0.0.1", "1");
    }
    void TearDown() override {
        platform::Paths::setDataFolder(previousData_);
        tonvale::PlayerSession::instance().reset();
    }

    void writeProfile(const QString& plain) {
        ASSERT_TRUE(common::SaveStoredText(tonvale::ProfileStore::profilePath(), plain));
    }
    QString profileText() {
        QString text;
        EXPECT_TRUE(common::LoadStoredText(tonvale::ProfileStore::profilePath(), text));
        return text;
    }

    // The player dialog picks `name` and the password dialog answers `password`.
    void scriptLogin(const QString& name, const QString& password) {
        dialogs_.modalHandlers["frmPlayer"] = [name](QDialog& dlg) {
            auto* list = dlg.findChild<QListWidget*>("lbxNames");
            const auto found = list->findItems(name, Qt::MatchExactly);
            if (!found.isEmpty()) list->setCurrentItem(found.first());
            dlg.findChild<QPushButton*>("cmdOK")->click();
            return dlg.result();
        };
        dialogs_.modalHandlers["frmPassword"] = [password](QDialog& dlg) {
            dlg.findChild<QLineEdit*>("txtPassword")->setText(password);
            dlg.findChild<QPushButton*>("cmdOK")->click();
            return dlg.result();
        };
    }

    // A loaded, shown main window.
    std::unique_ptr<FrmTonvale> loadedWindow() {
        auto frm = std::make_unique<FrmTonvale>();
        frm->Form_Load();
        frm->show();
        QApplication::processEvents();
        return frm;
    }

    tonvale::PlayerSession& session() { return tonvale::PlayerSession::instance(); }
    QStringList messageTexts() const {
        QStringList out;
        for (const platform::ShownMessage& m : dialogs_.shown) out << m.title + ": " + m.text;
        return out;
    }

    QTemporaryDir dir_;
    QString previousData_;
    platform::ScriptedDialogs dialogs_;
    platform::DialogsOverride dialogsGuard_{&dialogs_};
    platform::RecorderMidiDevices midi_;
    platform::MidiDevicesOverride midiGuard_{&midi_};
    platform::RecorderSongPlayer songs_;
    platform::SongPlayerOverride songsGuard_{&songs_};
};

} // namespace shell::testing
