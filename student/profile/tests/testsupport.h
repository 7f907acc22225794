#pragma once
// Shared set-up of the profile tests: a private data folder, a fresh session, scripted
// dialogs and a stand-in main window.
#include "student/profile/mainwindowseam.h"
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"

#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>

namespace tonvale::testing {

class FakeMainWindow : public MainWindowSeam {
public:
    void selectFrame(int lesson) override { frames.push_back(lesson); }
    bool isMainWindowVisible() const override { return visible; }
    std::vector<int> frames;
    bool visible = true;
};

inline QString lines(std::initializer_list<const char*> ls) {
    QString out;
    for (const char* l : ls) out += QString::fromUtf8(l) + common::CRLF;
    return out;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

inline void putBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        before_ = platform::Paths::dataFolder();
        platform::Paths::setDataFolder(dir_.path());
        PlayerSession::instance().reset();
        ProfileStore::forgetKept();
    }
    void TearDown() override {
        platform::Paths::setDataFolder(before_);
        PlayerSession::instance().reset();
        ProfileStore::forgetKept();
    }

    PlayerSession& session() { return PlayerSession::instance(); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    void writeProfile(const QString& plain) { ASSERT_TRUE(common::SaveStoredText(ProfileStore::profilePath(), plain)); }
    QString profileText() {
        QString text;
        EXPECT_TRUE(common::LoadStoredText(ProfileStore::profilePath(), text));
        return text;
    }
    QStringList messages() const {
        QStringList out;
        for (const platform::ShownMessage& m : dialogs_.shown) out << m.title + ": " + m.text;
        return out;
    }

    // Each password question takes the next answer; nullopt (or none left) presses Cancel.
    // A pair answers a new-password question with two different entries first.
    void answerPasswords(std::deque<std::optional<QString>> answers) {
        auto queue = std::make_shared<std::deque<std::optional<QString>>>(std::move(answers));
        dialogs_.modalHandlers["frmPassword"] = [queue, this](QDialog& dlg) {
            prompts_ << dlg.findChild<QWidget*>("lblPassword")->property("text").toString();
            std::optional<QString> a;
            if (!queue->empty()) {
                a = queue->front();
                queue->pop_front();
            }
            if (!a) {
                dlg.findChild<QPushButton*>("cmdCancel")->click();
            } else {
                dlg.findChild<QLineEdit*>("txtPassword")->setText(*a);
                dlg.findChild<QLineEdit*>("txtVerify")->setText(*a);
                dlg.findChild<QPushButton*>("cmdOK")->click();
            }
            return dlg.result();
        };
    }

    QTemporaryDir dir_;
    QString before_;
    platform::ScriptedDialogs dialogs_;
    platform::DialogsOverride dialogsGuard_{&dialogs_};
    FakeMainWindow main_;
    MainWindowSeamOverride mainGuard_{&main_};
    QStringList prompts_;
};

} // namespace tonvale::testing
