#include "common/storedtext/storedtext.h"
#include "common/storedtext/getvalue.h"
#include "platform/vexel/vexel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace common;

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString lines(std::initializer_list<const char*> ls) {
    QString out;
    for (const char* l : ls) out += QString::fromUtf8(l) + CRLF;
    return out;
}

QByteArray storedRecord(const QString& plain) {
    return '"' + platform::Vexel::EncodeText(plain, platform::kStoredTextKey).toLatin1() + "\"\r\n";
}

QStringList filesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(FileItems, JoinQuotedAndUnquotedItems) {
    struct Case { QByteArray file; QString joined; };
    const Case cases[] = {
        {"\"abc\"\r\n", "abc"},
        {"\"ab\"\r\n\"cd\"\r\n", "abcd"},
        {"ab,cd", "abcd"},
        {"  ab  ,\t cd  \r\n", "abcd"},
        {"\"a, b c\"\r\n", "a, b c"},
        {"\"ab\"xy,\"cd\"", "abcd"},
        {"ab\ncd\rEF", "abcdEF"},
        {"", ""},
        {"\r\n\r\n", ""},
    };
    for (const Case& c : cases) {
        bool complete = false;
        EXPECT_EQ(joinFileItems(c.file, &complete), c.joined) << c.file.toStdString();
        EXPECT_TRUE(complete);
    }
    bool complete = true;
    EXPECT_EQ(joinFileItems("\"open to the end", &complete), "open to the end");
    EXPECT_FALSE(complete);
}

TEST(FileItems, BlockLinesHaveNoEqualsSign) {
    EXPECT_TRUE(isBeginLine(u"begin"));
    EXPECT_TRUE(isBeginLine(u"xbeginx"));
    EXPECT_FALSE(isBeginLine(u"begin=end"));
    EXPECT_TRUE(isEndLine(u"END"));
    EXPECT_FALSE(isEndLine(u"ends"));
    EXPECT_FALSE(isEndLine(u"end="));
}

TEST(StoredTextFile, SaveWritesOneQuotedRecordAndLoadReadsItBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tonvale.txt");
    const QString plain = lines({"begin", "name=Zoë", "password=a \"b\", c", "end"});
    ASSERT_TRUE(SaveStoredText(path, plain));
    const QByteArray bytes = readBytes(path);
    ASSERT_TRUE(bytes.startsWith('"'));
    ASSERT_TRUE(bytes.endsWith("\"\r\n"));
    EXPECT_EQ(bytes.count('"'), 2);
    EXPECT_EQ(bytes.count('\n'), 1);
    QString stored;
    ASSERT_TRUE(ReadTextFile(path, stored));
    EXPECT_EQ(stored.toLatin1(), bytes.mid(1, bytes.size() - 4));
    QString back;
    ASSERT_TRUE(LoadStoredText(path, back));
    EXPECT_EQ(back, plain);
    EXPECT_EQ(filesIn(dir), QStringList{"Tonvale.txt"});  // no temporary left behind
}

TEST(StoredTextFile, EmptyTextAndEmptyFileReadAsEmpty) {
    QTemporaryDir dir;
    const QString saved = dir.filePath("saved.txt");
    ASSERT_TRUE(SaveStoredText(saved, QString()));
    EXPECT_EQ(readBytes(saved), QByteArray("\"\"\r\n"));
    const QString empty = dir.filePath("empty.txt");
    writeBytes(empty, QByteArray());
    for (const QString& path : {saved, empty}) {
        QString text = "before";
        EXPECT_EQ(readStoredText(path, text), StoredTextStatus::Ok);
        EXPECT_EQ(text, QString());
    }
}

TEST(StoredTextFile, FailedReadsLeaveTheTextAlone) {
    QTemporaryDir dir;
    const QString good = lines({"begin", "name=Ann", "end"});
    const QByteArray record = storedRecord(good);
    writeBytes(dir.filePath("plain.txt"), "\"" + good.toUtf8() + "\"\r\n");
    writeBytes(dir.filePath("cut.txt"), record.left(record.size() / 2));
    writeBytes(dir.filePath("unclosed.txt"), record.left(record.size() - 3));  // whole text, no closing quote
    writeBytes(dir.filePath("quote.txt"), "\"");
    QByteArray altered = record;
    altered[10] = altered[10] == 'A' ? 'B' : 'A';
    writeBytes(dir.filePath("altered.txt"), altered);
    QDir(dir.path()).mkdir("folder.txt");

    struct Case { QString name; StoredTextStatus status; };
    const Case cases[] = {
        {"missing.txt", StoredTextStatus::Missing},
        {"folder.txt", StoredTextStatus::Unreadable},
        {"plain.txt", StoredTextStatus::Undecodable},
        {"cut.txt", StoredTextStatus::Undecodable},
        {"unclosed.txt", StoredTextStatus::Undecodable},
        {"quote.txt", StoredTextStatus::Undecodable},
        {"altered.txt", StoredTextStatus::Undecodable},
    };
    for (const Case& c : cases) {
        QString text = "kept";
        EXPECT_EQ(readStoredText(dir.filePath(c.name), text), c.status) << c.name.toStdString();
        EXPECT_EQ(text, "kept");
        EXPECT_FALSE(LoadStoredText(dir.filePath(c.name), text));
        EXPECT_EQ(text, "kept");
    }
    QString raw = "kept";
    EXPECT_FALSE(ReadTextFile(dir.filePath("missing.txt"), raw));
    EXPECT_FALSE(ReadTextFile(dir.filePath("unclosed.txt"), raw));
    EXPECT_EQ(raw, "kept");
}

TEST(StoredTextFile, AFailedWriteKeepsTheOldFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tonvale.txt");
    const QString old = lines({"begin", "name=Ann", "end"});
    ASSERT_TRUE(SaveStoredText(path, old));
    const QByteArray before = readBytes(path);

    // The disk "fills up" part-way through the new file.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = static_cast<rlim_t>(before.size() + 100);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString why;
    const QString big = QString(5000, QChar('x'));
    const bool written = writeFileAtomic(path, storedRecord(big), &why);
    const bool savedBig = SaveStoredText(path, big);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(savedBig);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(filesIn(dir), QStringList{"Tonvale.txt"});

    // A folder that cannot hold the file, and a folder standing where the file should be.
    EXPECT_FALSE(SaveStoredText(dir.filePath("Tonvale.txt/inside.txt"), old));
    QDir(dir.path()).mkdir("taken");
    EXPECT_FALSE(SaveStoredText(dir.filePath("taken"), old));
    EXPECT_TRUE(QFileInfo(dir.filePath("taken")).isDir());
}

TEST(StoredTextFile, AtomicWriteKeepsPermissionsAndFollowsLinks) {
    QTemporaryDir dir;
    const QString real = dir.filePath("real.cfg");
    ASSERT_TRUE(writeFileAtomic(real, "one"));
    QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(QFile::link(real, dir.filePath("link.cfg")));
    ASSERT_TRUE(writeFileAtomic(dir.filePath("link.cfg"), "two"));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.cfg")).isSymLink());
    EXPECT_EQ(readBytes(real), QByteArray("two"));
    EXPECT_EQ(QFile::permissions(real),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
}

TEST(StoredTextFile, PercentSignsInThePathAreJustCharacters) {
    // A folder or file chosen by the user may hold "%1" and the like.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("50%1 off"));
    const QString folder = dir.filePath("50%1 off");
    const QString plain = lines({"begin", "name=Ann", "end"});
    for (const QString& name : {QString("export %2.txt"), QString("%1.txt"), QString("plain.txt")}) {
        const QString path = folder + "/" + name;
        ASSERT_TRUE(SaveStoredText(path, plain)) << name.toStdString();
        QString back;
        ASSERT_TRUE(LoadStoredText(path, back)) << name.toStdString();
        EXPECT_EQ(back, plain);
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"%1.txt", "export %2.txt", "plain.txt"}));
    EXPECT_EQ(filesIn(dir), QStringList());
}

TEST(SplitKeyValue, KeysAndValues) {
    struct Case { QString line; QString key; QString value; };
    const Case cases[] = {
        {"name=Bob", "name", "Bob"},
        {"a=b=c", "a", "b=c"},
        {"=x", "", "x"},
        {"name=", "name", ""},
        {"begin", "begin", ""},
        {"xbeginx", "begin", ""},
        {"BEGIN", "begin", ""},
        {"end", "end", ""},
        {"END", "end", ""},
        {"ends", "", ""},
        {"", "", ""},
        {"name=begin", "name", "begin"},
    };
    for (const Case& c : cases) {
        QString key = "old", value = "old";
        SplitKeyValue(c.line, key, value);
        EXPECT_EQ(key, c.key) << c.line.toStdString();
        EXPECT_EQ(value, c.value) << c.line.toStdString();
    }
}

TEST(ExtractBlock, FindsTheWholeNameLineInsideABlock) {
    const QString ann = lines({"begin", "name=Ann", "password=a", "end"});
    const QString anna = lines({"begin", "name=Anna", "password=b", "end"});
    const QString lowerAnn = lines({"begin", "name=ann", "password=c", "end"});
    const QString bob = lines({"begin", "name=Bob", "upper=89", "end"});
    const QString nick = lines({"begin", "nickname=Bob", "name=Rob", "end"});
    const QString shout = lines({"begin", "NAME=Bob", "end"});
    struct Case { QString text; QString search; QString block; qint32 start; };
    const Case cases[] = {
        {ann + bob, "name=Bob", bob, qint32(ann.size() + 1)},
        {ann + bob, "NAME=Bob", bob, qint32(ann.size() + 1)},       // the key in any case
        {shout, "name=Bob", shout, 1},
        {ann + bob, "name=bob", "", -1},                            // the name exactly
        {ann + bob, "name=Zed", "", -1},
        {anna + ann, "name=Ann", ann, qint32(anna.size() + 1)},     // never a prefix
        {anna, "name=Ann", "", -1},
        {ann + lowerAnn, "name=ann", lowerAnn, qint32(ann.size() + 1)},
        {nick + bob, "name=Bob", bob, qint32(nick.size() + 1)},     // never inside another key
        {"name=Bob\r\n" + ann, "name=Bob", "", -1},                 // outside any block
        {lines({"begin", "name=Bob", "upper=89"}), "name=Bob", "", -1},  // no end line
        {lines({"begin", "name=Bob"}) + "end", "name=Bob", "", -1},      // end without CR LF
        {lines({"begin", "password=Bob", "name=Bob", "end"}), "name=Bob",
         lines({"begin", "password=Bob", "name=Bob", "end"}), 1},
        {"", "name=Bob", "", -1},
        // A block is its first name line's: a later name line names no one.
        {lines({"begin", "name=Ann", "name=Bob", "end"}) + bob, "name=Bob", bob,
         qint32(lines({"begin", "name=Ann", "name=Bob", "end"}).size() + 1)},
        {lines({"begin", "name=Ann", "name=Bob", "end"}), "name=Bob", "", -1},
        {lines({"begin", "name=Ann", "Name=Bob", "end"}), "name=Ann", lines({"begin", "name=Ann", "Name=Bob", "end"}), 1},
    };
    for (const Case& c : cases) {
        qint32 start = 99, length = 99;
        const QString block = ExtractBlock(start, length, c.text, c.search);
        EXPECT_EQ(block, c.block) << c.search.toStdString() << " in " << c.text.toStdString();
        EXPECT_EQ(start, c.start) << c.search.toStdString();
        EXPECT_EQ(length, c.block.size());
        if (start > 0) {
            EXPECT_EQ(c.text.mid(start - 1, length), block);
        }
    }
}

TEST(ExtractBlock, FromAPositionFindsTheNextBlockOfTheSameName) {
    const QString first = lines({"begin", "name=Ann", "password=1", "end"});
    const QString second = lines({"begin", "name=Ann", "password=2", "end"});
    const QString text = first + second;
    qint32 start = 0, length = 0;
    EXPECT_EQ(ExtractBlockFrom(1, start, length, text, "name=Ann"), first);
    EXPECT_EQ(ExtractBlockFrom(start + length, start, length, text, "name=Ann"), second);
    EXPECT_EQ(start, first.size() + 1);
    EXPECT_EQ(ExtractBlockFrom(start + length, start, length, text, "name=Ann"), QString());
}

TEST(SplitToArray, NonBlankLinesToTheEnd) {
    struct Case { QString text; QStringList items; };
    const Case cases[] = {
        {"a\r\n\r\nb\r\n", {"", "a", "b"}},                // an empty line does not end the split
        {"a\r\n   \r\nb\r\n", {"", "a", "b"}},
        {"\r\n\r\na\r\n", {"", "a"}},
        {"  a \r\nb", {"", "  a ", "b"}},                   // kept as they stand; last line unended
        {"\r\n", {""}},
    };
    for (const Case& c : cases) {
        QStringList items{"stale", "stale"};
        SplitToArray(c.text, items, CRLF);
        EXPECT_EQ(items, c.items) << c.text.toStdString();
    }
    QStringList untouched{"x", "y"};
    SplitToArray(QString(), untouched, CRLF);
    EXPECT_EQ(untouched, (QStringList{"x", "y"}));
}

TEST(ParseScoreRecord, FillsTheGridAndTheNumbers) {
    struct Case {
        QString record; qint16 lesson; qint16 count;
        qint16 level; QString f1, f2, f3, f4; int average, completed, attempts;
    };
    const Case cases[] = {
        {"L3S85M2Q4", 1, 9, 3, "2", "22%", "85%", "4", 85, 2, 4},
        {"L1S100M0Q0", 1, 9, 1, "0", "0%", "100%", "0", 100, 0, 0},
        {"L13S70M13Q20", 2, 13, 13, "12", "100%", "70%", "20", 70, 13, 20},
        {"L4S-5M3Q1", 4, 8, 4, "3", "37%", "-5%", "1", -5, 3, 1},
        {"L2", 3, 12, 2, "1", "0%", "0%", "0", 0, 0, 0},            // missing letters read 0
        {"", 5, 6, 0, "-1", "0%", "0%", "0", 0, 0, 0},
        {"L2S50M3Q1", 6, 0, 2, "1", "0%", "50%", "1", 50, 3, 1},    // no exercises: no division
        {"L99999S1M1Q1", 7, 12, 32767, "32766", "8%", "1%", "1", 1, 1, 1},
    };
    for (const Case& c : cases) {
        LessonProgressTable t;
        qint16 level = -7;
        ParseScoreRecord(t, c.lesson, c.count, c.record, level);
        EXPECT_EQ(level, c.level) << c.record.toStdString();
        EXPECT_EQ(t.LessonProgress[1][c.lesson], c.f1) << c.record.toStdString();
        EXPECT_EQ(t.LessonProgress[2][c.lesson], c.f2) << c.record.toStdString();
        EXPECT_EQ(t.LessonProgress[3][c.lesson], c.f3) << c.record.toStdString();
        EXPECT_EQ(t.LessonProgress[4][c.lesson], c.f4) << c.record.toStdString();
        EXPECT_EQ(t.AverageScore[c.lesson], c.average);
        EXPECT_EQ(t.CompletedLevel[c.lesson], c.completed);
        EXPECT_EQ(t.AttemptCount[c.lesson], c.attempts);
    }
    LessonProgressTable t;
    qint16 level = 5;
    ParseScoreRecord(t, 8, 9, "L3S85M2Q4", level);
    ParseScoreRecord(t, -1, 9, "L3S85M2Q4", level);
    EXPECT_EQ(level, 5);
}

TEST(GetValue, TakesTheFirstLineOff) {
    const struct { const char* text; const char* value; const char* key; const char* rest; } cases[] = {
        {"a=1\r\nb=2", "1", "a", "b=2"},
        {"x=y", "y", "x", ""},
        {"a=b=c\r\nd=e\r\n", "b=c", "a", "d=e\r\n"},
        {"begin\r\nname=Ann\r\nend\r\n", "Ann", "begin\r\nname", "end\r\n"},
        {"=x\r\n", "x", "", ""},
        {"port=\r\n", "", "port", ""},
    };
    for (const auto& t : cases) {
        QString text = t.text, key = "unset";
        EXPECT_EQ(GetValue(text, key), t.value) << t.text;
        EXPECT_EQ(key, t.key) << t.text;
        EXPECT_EQ(text, t.rest) << t.text;
    }
    for (const char* none : {"", "no equals\r\nhere"}) {
        QString text = none, key = "unset";
        EXPECT_EQ(GetValue(text, key), "");
        EXPECT_EQ(key, "unset");
        EXPECT_EQ(text, none);
    }
}

TEST(TextFile, WritesOneQuotedRecordThatReadsBackUnchanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Server.cfg");
    ASSERT_TRUE(WriteTextFile(path, "port=2001\r\n"));
    EXPECT_EQ(readBytes(path), QByteArray::fromHex("22706F72743D323030310D0A220D0A"));
    const QString lines = "\r\n1\r\nClass 3,Beginner,1,2,5,\r\n";
    ASSERT_TRUE(WriteTextFile(path, lines));
    QString back;
    ASSERT_TRUE(ReadTextFile(path, back));
    EXPECT_EQ(back, lines);
    // A folder in the way: false, nothing half written.
    EXPECT_FALSE(WriteTextFile(dir.path(), "x"));
    EXPECT_FALSE(WriteTextFile(dir.filePath("no/such/folder/Report.cfg"), "x"));
}
