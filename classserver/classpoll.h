#pragma once
// View > Refresh: asks every connected student program for its computer name, its product and
// its stored profile, and imports each profile that comes whole into the class database.
// The programs are asked side by side, each its own sequence of the three questions, so a
// silent one costs the poll no more than its own deadlines; the profiles are imported one
// program at a time in slot order, so students get their ids in the same order whatever the
// order of the answers. A computer name that does not come in time is not waited for again.
// It runs from the event loop (no nested waits): each answer moves it one step on. A profile
// is decoded and imported on a worker thread with a connection of its own, so even the largest
// one never holds up the window.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <memory>
#include <vector>

class QThread;

namespace classserver {

class ClassServer;

// The product of a student program whose product name did not come in time.
inline constexpr char kDefaultProduct[] = "Sopranel 2.0";

struct PollReport {
    int asked = 0;      // clients that were sent a first question
    int answered = 0;   // clients that sent their profile
    int imported = 0;   // clients whose profile was written to the database
    int skipped = 0;    // clients that hung up, did not answer in time, sent no or an unreadable
                        // profile, or failed to import
    int dropped = 0;    // slots found hung up and freed
    int players = 0;    // players written
    int playersSkipped = 0;  // players past the limit of one profile, not written
    qint64 importMs = 0;     // time spent decoding and writing the profiles (on the worker)
    bool cancelled = false;  // stopped before every client was asked and imported
    // Clients that did not answer a question in time, in slot order: the computer name each
    // gave (in this poll or an earlier one), else its address.
    QStringList silent;
    struct Note {
        QString computer;
        int count = 0;      // players skipped (over the limit)
        QString error;      // why the import failed
    };
    QVector<Note> overLimit;  // computers whose profile held more players than are read
    QVector<Note> failures;   // computers whose answers could not be imported
};

class ClassPoll : public QObject {
    Q_OBJECT
public:
    // The server must outlive the poll.
    explicit ClassPoll(ClassServer& server, QObject* parent = nullptr);
    ~ClassPoll() override;

    // Starts a poll of the clients connected now, importing into the database at dbPath;
    // false when one is running.
    bool start(const QString& dbPath);
    bool isRunning() const { return running_; }
    // Stops at once: no more questions, nothing more imported, and finished() is not emitted.
    // An import under way is rolled back, and is over when this returns; what was imported
    // before stays.
    void abort();
    // Stops as abort() does, then emits finished() with the report so far (cancelled set).
    void cancel();
    // Stops waiting: the clients still being asked are asked no more and skipped, those that
    // have answered are still imported, and finished() then comes with cancelled set. False
    // (and nothing done) when no client is being asked any more.
    bool stopWaiting();
    const PollReport& report() const { return report_; }

signals:
    // After every answer that completes a client's questions, and at the start.
    void progress(int answered, int asked);
    void finished(const classserver::PollReport& report);

private:
    struct ImportJob;
    enum class State { Asking, Ready, Skipped, Done };
    struct Program {
        int slot = 0;
        State state = State::Asking;
        bool silent = false;     // a question went unanswered
        QString computer;
        QString product;
        QByteArray message;      // the answer to "@@GET_DATA", its stored profile from storedAt on
        qsizetype storedAt = 0;
    };

    void askComputerName(size_t i);
    void askProduct(size_t i);
    void askData(size_t i);
    // The client's questions are over: ready to import, or skipped (silent or gone).
    void settle(size_t i, State state, bool silent = false);
    void importNext();
    void startImport(Program& program);
    void account(const ImportJob& job);
    void collectSilent();
    void finish();
    void stop();
    void waitForWorker();

    ClassServer& server_;
    QString dbPath_;
    bool running_ = false;
    bool starting_ = false;    // start() is still sending the first questions
    quint64 generation_ = 0;   // tells answers of a stopped poll from the current one
    std::vector<Program> programs_;   // the clients asked, in slot order
    size_t nextImport_ = 0;
    PollReport report_;
    QThread* worker_ = nullptr;
    std::shared_ptr<ImportJob> job_;  // the import on the worker
    std::atomic<bool> cancel_{false};
};

} // namespace classserver
