#include "testsupport.h"

#include "student/profile/playerdialog.h"

#include <random>

using namespace tonvale;
using namespace tonvale::testing;
using common::CRLF;

namespace {

// Profile-like plain text: real lines, near misses, blanks and junk in random order.
QString randomPlain(std::mt19937& r) {
    static const char* pieces[] = {
        "begin", "end", "name=Ann", "name=Anna", "name=ann", "NAME=Bob", "name=", "password=x", "password=",
        "upper=89", "lower=abc", "practice=true", "interval=-4", "lesson1=L3S85M2Q4", "lesson3=", "lesson7=LSMQ",
        "lesson2=L99999999999S-99999999M0Q", "=", "==", "", "   ", "xbeginx", "END", "ends", "\r", "\n", "é=ü",
        "begin=end", "name=begin", "lesson0=L1S1M1Q1",
    };
    std::uniform_int_distribution<int> count(0, 40), pick(0, int(std::size(pieces)) - 1), crlf(0, 9);
    QString text;
    for (int n = count(r); n > 0; --n) {
        text += QString::fromUtf8(pieces[pick(r)]);
        if (crlf(r) != 0) text += CRLF;
    }
    return text;
}

QByteArray randomBytes(std::mt19937& r) {
    std::uniform_int_distribution<int> length(0, 600), byte(0, 255), kind(0, 3);
    QByteArray b;
    const int n = length(r);
    const int k = kind(r);
    static const char base64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=\"";
    for (int i = 0; i < n; ++i)
        b += k == 0 ? char(byte(r)) : base64[byte(r) % (sizeof base64 - 1)];
    if (k == 2) b = '"' + b + "\"\r\n";
    return b;
}

} // namespace

TEST_F(ProfileTest, RandomAndTruncatedFilesNeverCrashTheLoadPath) {
    std::mt19937 r(7);
    main_.visible = true;
    answerPasswords({});
    for (int i = 0; i < 300; ++i) {
        ProfileStore::forgetKept();  // each file is a program started anew
        const QByteArray bytes = randomBytes(r);
        putBytes(ProfileStore::profilePath(), bytes);
        const ProfileText read = ProfileStore::read();
        if (read.status == ProfileRead::Ok) {
            EXPECT_TRUE(read.text.isEmpty()) << "random bytes decoded: " << bytes.toStdString();
        }
        PlayerForm form;
        form.load();
        session().PlayerName = "Ann";
        const ProfileStore::SaveResult saved = ProfileStore::SaveProfile(session(), 0, 2);
        if (read.status == ProfileRead::Failed) {
            EXPECT_EQ(saved, ProfileStore::SaveResult::NotRead);
            EXPECT_EQ(fileBytes(ProfileStore::profilePath()), bytes);
        }
    }

    // Every cut of a real profile file.
    const QString plain = lines({"begin", "name=Ann", "password=Secret", "lesson1=L3S85M2Q4", "end"}) +
                          lines({"begin", "name=Bob", "password=b", "end"});
    writeProfile(plain);
    const QByteArray whole = fileBytes(ProfileStore::profilePath());
    for (int n = 0; n < whole.size(); ++n) {
        ProfileStore::forgetKept();
        putBytes(ProfileStore::profilePath(), whole.left(n));
        const ProfileText read = ProfileStore::read();
        const bool keepsClosingQuote = n >= whole.size() - 2;
        if (n == 0) {
            EXPECT_EQ(read.status, ProfileRead::Ok);  // an empty file is an empty profile
        } else if (keepsClosingQuote) {
            EXPECT_EQ(read.text, plain);
        } else {
            EXPECT_EQ(read.status, ProfileRead::Failed) << n;
        }
        PlayerForm form;
        form.load();
        if (read.status == ProfileRead::Failed) {
            EXPECT_TRUE(form.players.isEmpty());
            EXPECT_FALSE(form.SaveProfiles());
            EXPECT_EQ(fileBytes(ProfileStore::profilePath()), whole.left(n));
        }
    }
}

TEST_F(ProfileTest, RandomProfileTextsKeepEveryOtherBlockWhole) {
    std::mt19937 r(11);
    for (int i = 0; i < 150; ++i) {
        ProfileStore::forgetKept();
        const QString text = randomPlain(r);
        const QVector<PlayerEntry> players = ProfileStore::scanPlayers(text);
        for (const PlayerEntry& p : players) {
            qint32 start = 0, length = 0;
            const QString block = common::ExtractBlock(start, length, text, "name=" + p.name);
            ASSERT_GT(start, 0) << QString(text).replace("\r", "<CR>").replace("\n", "<LF>").toStdString()
                                << " name " << p.name.toStdString();
            EXPECT_EQ(text.mid(start - 1, length), block);
        }
        QString name, password;
        bool hasPassword = false;
        ProfileStore::singleBlock(text, &name, &hasPassword, &password);
        for (const QString& record : text.split(CRLF)) {
            common::LessonProgressTable t;
            qint16 level = 0;
            common::ParseScoreRecord(t, 3, 12, record, level);
        }
        ProfileStore::buildProfiles(players);

        // A save as one of the players (or as nobody) changes that player's block only.
        writeProfile(text);
        session().PlayerName = players.isEmpty() ? QStringLiteral("Nobody") : players[i % players.size()].name;
        const auto lesson = static_cast<qint16>(i % 8);
        qint32 start = 0, length = 0;
        common::ExtractBlock(start, length, text, "name=" + session().PlayerName);
        const ProfileStore::SaveResult saved = ProfileStore::SaveProfile(session(), lesson, 2);
        if (start <= 0) {
            EXPECT_EQ(saved, ProfileStore::SaveResult::NoBlock);
            continue;
        }
        ASSERT_EQ(saved, ProfileStore::SaveResult::Saved);
        const QString after = profileText();
        EXPECT_TRUE(after.startsWith(text.left(start - 1)));
        EXPECT_TRUE(after.endsWith(text.mid(start - 1 + length)));
        EXPECT_EQ(ProfileStore::scanPlayers(after).size(), players.size()) << text.toStdString();
    }
}
