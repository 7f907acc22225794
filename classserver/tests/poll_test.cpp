// Refresh over loopback: the server polls real student-program clients and scripted ones, and
// imports exactly what whole, well-formed answers carry.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSet>
#include <QSignalSpy>
#include <cstdio>
#include <memory>

#include "classserver/classpoll.h"
#include "classserver/classserver.h"
#include "common/storedtext/storedtext.h"
#include "fakeclient.h"
#include "platform/vexel/vexel.h"
#include "student/shell/classlink/classlinkclient.h"

using namespace classserver;
using namespace testsupport;

namespace {

QString stored(const QString& plain) { return platform::Vexel::EncodeText(plain, platform::kStoredTextKey); }

// A student program of its own: its own folder, profile and computer name.
struct Student {
    QTemporaryDir folder;
    classlink::ClassLinkClient client;
    Student(const QString& computer, const QString& profile, quint16 port) {
        client.setDataFolder(folder.path());
        client.setComputerNameSource([computer] { return computer; });
        if (!profile.isNull()) common::SaveStoredText(folder.path() + "/Tonvale.txt", profile);
        classlink::writeClientConfig(folder.path() + "/Client.cfg", "127.0.0.1", QString::number(port));
        client.ConnectToServer();
    }
};

class ClassPollLoopback : public ::testing::Test {
protected:
    void SetUp() override {
        server.setRequestTimeoutMs(1000);
        ASSERT_EQ(server.listen(0, QHostAddress::LocalHost), ListenResult::Listening);
    }
    Student& addStudent(const QString& computer, const QString& profile) {
        const int before = server.clientCount();
        students.push_back(std::make_unique<Student>(computer, profile, server.port()));
        EXPECT_TRUE(students.back()->client.isConnected());
        EXPECT_TRUE(waitUntil([&] { return server.clientCount() == before + 1; }));
        return *students.back();
    }
    FakeClient& addFake() {
        const int before = server.clientCount();
        fakes.push_back(std::make_unique<FakeClient>(server.port()));
        EXPECT_TRUE(fakes.back()->waitConnected());
        EXPECT_TRUE(waitUntil([&] { return server.clientCount() == before + 1; }));
        return *fakes.back();
    }
    PollReport runPoll() {
        QSignalSpy finished(&poll, &ClassPoll::finished);
        EXPECT_TRUE(poll.start(db.path));
        EXPECT_TRUE(waitUntil([&] { return finished.count() == 1; }, 30000));
        return poll.report();
    }
    QStringList studentRows() {
        return rows(db.path, "SELECT StudentName, ComputerName, ClassID, Password FROM Student ORDER BY StudentName, "
                             "ComputerName");
    }

    ScratchDb db;
    ClassServer server;
    ClassPoll poll{server};
    std::vector<std::unique_ptr<Student>> students;
    std::vector<std::unique_ptr<FakeClient>> fakes;
};

} // namespace

TEST_F(ClassPollLoopback, APollOfSeveralClientsImportsExactlyTheirPlayers) {
    addStudent("LAB1", block("Ann", "a1", {"lesson3=L3S80M5Q2"}) + block("Ben", "b1", {"lesson1=L2S40M1Q3"}));
    addStudent("LAB2", block("Ann", "a2", {"lesson7=L5S95M9Q4"}));
    addStudent("LAB3", QString());   // no profile yet
    const PollReport r = runPoll();
    EXPECT_EQ(r.asked, 3);
    EXPECT_EQ(r.imported, 3);
    EXPECT_EQ(r.skipped, 0);
    EXPECT_EQ(r.players, 3);
    EXPECT_EQ(studentRows(), QStringList({"Ann|LAB1|11|a1", "Ann|LAB2|11|a2", "Ben|LAB1|11|b1"}));
    EXPECT_EQ(count(db.path, "Lesson"), 21);
    EXPECT_EQ(rows(db.path, "SELECT S.ComputerName, L.LessonNumber, L.LLevel, L.Average, L.HighestLevel, L.Attempts "
                            "FROM Lesson L JOIN Student S ON S.StudentID = L.StudentID WHERE L.Attempts > 0 "
                            "ORDER BY S.ComputerName, L.LessonNumber"),
              QStringList({"LAB1|1|1|40|1|3", "LAB1|3|2|80|5|2", "LAB2|7|4|95|9|4"}));
    // The same poll again adds nothing.
    runPoll();
    EXPECT_EQ(count(db.path, "Student"), 3);
    EXPECT_EQ(count(db.path, "Lesson"), 21);
}

// A room of 30 as a teacher meets it: three programs frozen (they never answer), one too slow
// to name its product, the others answering in the reverse order of their slots. The silent
// ones cost the poll one deadline together, not one each; the rows come out in slot order.
TEST_F(ClassPollLoopback, AThirtyClientRoomWithThreeSilentCostsOneDeadline) {
    server.setRequestTimeoutMs(kRequestTimeoutMs);
    constexpr int kRoom = 30;
    const QSet<int> frozen = {4, 11, 23};
    constexpr int kSlowProduct = 17;
    QStringList expected;
    for (int i = 1; i <= kRoom; ++i) {
        FakeClient& c = addFake();
        if (frozen.contains(i)) continue;
        const QString computer = QString("LAB%1").arg(i, 2, 10, QChar('0'));
        const QString name = QString("P%1").arg(i, 2, 10, QChar('0'));
        const auto answer = FakeClient::answering(computer, "Tonvale 1.2", stored(block(name, "pw" + name, {"lesson2=L3S70M4Q1"})));
        const int delay = (kRoom - i) * 10;  // the last slot answers first
        c.onRequest = [=](FakeClient& f, const QString& command) {
            if (i == kSlowProduct && command == "@@PRODUCTNAME") {
                f.sendLater(kRequestTimeoutMs + 1500, "@@PRODUCTNAME:>Tonvale 1.2\r\n");
                return;
            }
            QTimer::singleShot(delay, &f, [answer, &f, command] { answer(f, command); });
        };
        expected << QString("%1|%2|%3|pw%1").arg(name, computer).arg(i == kSlowProduct ? 0 : 11);
    }
    QElapsedTimer clock;
    clock.start();
    const PollReport r = runPoll();
    const qint64 ms = clock.elapsed();
    RecordProperty("pollMs", int(ms));
    std::printf("a poll of %d clients, %d of them silent: %lld ms\n", kRoom, int(frozen.size()), ms);
    EXPECT_LT(ms, 16000);
    EXPECT_EQ(r.asked, kRoom);
    EXPECT_EQ(r.answered, kRoom - 3);
    EXPECT_EQ(r.imported, kRoom - 3);
    EXPECT_EQ(r.skipped, 3);
    EXPECT_EQ(r.silent, QStringList({"127.0.0.1", "127.0.0.1", "127.0.0.1"}));
    // Ids in slot order, whatever the order of the answers.
    EXPECT_EQ(rows(db.path, "SELECT StudentName, ComputerName, ClassID, Password FROM Student ORDER BY StudentID"), expected);
    EXPECT_EQ(count(db.path, "Lesson"), (kRoom - 4) * 7 + 98);
    EXPECT_EQ(rows(db.path, "SELECT COUNT(*), MIN(LLevel), MAX(Attempts) FROM Lesson WHERE LessonNumber = 2 AND Attempts > 0"),
              QStringList({QString("%1|2|1").arg(kRoom - 3)}));
    EXPECT_FALSE(server.busy());
}

TEST_F(ClassPollLoopback, AbortedPollAsksNoMore) {
    addStudent("LAB1", block("Ann", "a"));
    addStudent("LAB2", block("Bea", "b"));
    QSignalSpy finished(&poll, &ClassPoll::finished);
    ASSERT_TRUE(poll.start(db.path));
    EXPECT_FALSE(poll.start(db.path));  // one at a time
    poll.abort();
    pump(300);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_FALSE(poll.isRunning());
    EXPECT_FALSE(server.busy());
}

// Each bad client is polled between two good ones; it costs only itself. A product that does
// not come in time is the first product's; a program that does not name its computer in time
// is asked nothing more.
TEST_F(ClassPollLoopback, BadClientsCostOnlyThemselves) {
    using Script = std::function<void(FakeClient&, const QString&)>;
    const QString good = stored(block("Eve", "e", {"lesson2=L2S50M1Q1"}));
    // imported: the bad client's students; lessons: their lesson rows.
    const struct { const char* what; Script script; QStringList imported; int lessons = 0; } cases[] = {
        {"random bytes", [](FakeClient& f, const QString&) { f.send(QByteArray("\x13\x99\xfe:<\x00\xff\r\n\x01\x02\r\n", 13)); }, {}},
        {"no marker", [](FakeClient& f, const QString& c) { f.send((c + " PC9\r\n").toUtf8()); }, {}},
        {"wrong echo", [](FakeClient& f, const QString&) { f.send("@@PRODUCTNAME:>Tonvale 1.2\r\n"); }, {}},
        {"undecodable profile", FakeClient::answering("PC9", "Tonvale 1.2", "bm90IG91cnM="), {}},
        {"other key", FakeClient::answering("PC9", "Tonvale 1.2",
                                            platform::Vexel::EncodeText(block("Mal", "m"), "another key")), {}},
        {"cut profile", FakeClient::answering("PC9", "Tonvale 1.2", good.left(good.size() - 6)), {}},
        {"plain profile", FakeClient::answering("PC9", "Tonvale 1.2", block("Mal", "m").replace("\r\n", "|")), {}},
        {"no product answer", [good](FakeClient& f, const QString& c) {
             if (c == "@@COMPUTERNAME") f.send("@@COMPUTERNAME:>PC9\r\n");
             else if (c == "@@GET_DATA") f.send(("@@GET_DATA:>" + good + "\r\n").toUtf8());
         }, {"Eve|PC9|0|e"}, 98},
        {"no computer name answer", [good](FakeClient& f, const QString& c) {
             if (c != "@@COMPUTERNAME") FakeClient::answering("PC9", "Tonvale 1.2", good)(f, c);
         }, {}},
        {"late product answer", [good](FakeClient& f, const QString& c) {
             if (c == "@@PRODUCTNAME") f.sendLater(1500, "@@PRODUCTNAME:>Tonvale 1.2\r\n");
             else FakeClient::answering("PC9", "Tonvale 1.2", good)(f, c);
         }, {"Eve|PC9|0|e"}, 98},
        {"never answers", [](FakeClient&, const QString&) {}, {}},
        {"stalls mid-answer", [good](FakeClient& f, const QString& c) {
             if (c == "@@GET_DATA") f.send(("@@GET_DATA:>" + good.left(10)).toUtf8());
             else FakeClient::answering("PC9", "Tonvale 1.2", good)(f, c);
         }, {}},
        {"disconnects mid-answer", [good](FakeClient& f, const QString& c) {
             if (c == "@@GET_DATA") {
                 f.send(("@@GET_DATA:>" + good.left(10)).toUtf8());
                 f.socket.abort();
             } else {
                 FakeClient::answering("PC9", "Tonvale 1.2", good)(f, c);
             }
         }, {}},
        {"names with quotes and SQL", FakeClient::answering("PC'9", "Tonvale 1.2",
                                                            stored(block("R'); DELETE FROM Student;--", "p"))),
         {"R'); DELETE FROM Student;--|PC'9|11|p"}, 7},
        {"well-formed", FakeClient::answering("PC9", "Tonvale 1.2", good), {"Eve|PC9|11|e"}, 7},
    };
    for (const auto& t : cases) {
        ScratchDb fresh;
        std::swap(db.path, fresh.path);
        addStudent("GOOD1", block("Ann", "a"));
        FakeClient& bad = addFake();
        bad.onRequest = t.script;
        addStudent("GOOD2", block("Zed", "z"));
        runPoll();
        QStringList expected = {"Ann|GOOD1|11|a", "Zed|GOOD2|11|z"};
        expected += t.imported;
        expected.sort();
        QStringList got = studentRows();
        got.sort();
        EXPECT_EQ(got, expected) << t.what;
        EXPECT_EQ(count(db.path, "Lesson"), 2 * 7 + t.lessons) << t.what;
        EXPECT_TRUE(server.isListening()) << t.what;
        // Tidy up for the next case.
        students.clear();
        fakes.clear();
        EXPECT_TRUE(waitUntil([&] { return server.clientCount() == 0; })) << t.what;
        std::swap(db.path, fresh.path);
    }
}

TEST_F(ClassPollLoopback, AHangUpDuringAnotherClientsPollCostsOnlyTheOneThatLeft) {
    Student& leaving = addStudent("LAB1", block("Ann", "a"));
    FakeClient& asked = addFake();
    addStudent("LAB3", block("Cy", "c"));
    // While the second client is asked for its profile, the first one reconfigures its network
    // and leaves; the answer of the second comes afterwards.
    const QString profile = stored(block("Bea", "b"));
    asked.onRequest = [&](FakeClient& f, const QString& c) {
        if (c == "@@GET_DATA") {
            leaving.client.SendToServer("@@CLOSE_SOCKET:>");
            f.sendLater(100, ("@@GET_DATA:>" + profile + "\r\n").toUtf8());
        } else {
            FakeClient::answering("LAB2", "Tonvale 1.2", profile)(f, c);
        }
    };
    // Slot 1 is polled first; the hang-up comes while slot 2 is being asked.
    const PollReport r = runPoll();
    EXPECT_EQ(r.imported, 3);
    EXPECT_EQ(studentRows(), QStringList({"Ann|LAB1|11|a", "Bea|LAB2|11|b", "Cy|LAB3|11|c"}));
    EXPECT_TRUE(waitUntil([&] { return !leaving.client.isConnected(); }));
    EXPECT_EQ(leaving.client.ServerReply(), "disconnected");
    EXPECT_FALSE(server.slotInUse(1));

    // The next poll reaches the two that stayed.
    const PollReport again = runPoll();
    EXPECT_EQ(again.asked, 2);
    EXPECT_EQ(again.imported, 2);
}
