#pragma once
// View > Refresh: asks every connected student program in turn for its computer name, its
// product and its stored profile, and imports each profile that comes whole into the class
// database. A computer name or product that does not come in time is not waited for again.
// It runs from the event loop (no nested waits): each answer moves it one step on. A profile
// is decoded and imported on a worker thread with a connection of its own, so even the largest
// one never holds up the window.
#include <QObject>
#include <QString>
#include <QVector>
#include <atomic>

class QThread;

namespace classserver {

class ClassServer;

// The product of a student program whose product name did not come in time.
inline constexpr char kDefaultProduct[] = "Sopranel 2.0";

struct PollReport {
    int asked = 0;      // clients that were sent a first question
    int answered = 0;   // clients that sent their profile
    int imported = 0;   // clients whose profile was written to the database
    int skipped = 0;    // clients that hung up, sent no or an unreadable profile, or failed to import
    int dropped = 0;    // slots found hung up and freed
    int players = 0;    // players written
    int playersSkipped = 0;  // players past the limit of one profile, not written
    qint64 importMs = 0;     // time spent decoding and writing the profiles (on the worker)
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
    explicit ClassPoll(ClassServer& server, QObject* parent = nullptr);
    ~ClassPoll() override;

    // Starts a poll that imports into the database at dbPath; false when one is running.
    bool start(const QString& dbPath);
    bool isRunning() const { return running_; }
    // Stops after the current step; nothing more is imported and finished() is not emitted. An
    // import under way is rolled back, and is over when this returns.
    void abort();
    const PollReport& report() const { return report_; }

signals:
    void finished(const classserver::PollReport& report);

private:
    void nextClient();
    void scheduleNext();
    void askProduct();
    void askData();
    void importData(const QByteArray& message, qsizetype storedAt);
    void skip();
    void waitForWorker();

    ClassServer& server_;
    QString dbPath_;
    bool running_ = false;
    quint64 generation_ = 0;   // tells answers of an aborted poll from the current one
    int slot_ = 0;
    QString computer_;
    QString product_;
    PollReport report_;
    QThread* worker_ = nullptr;
    std::atomic<bool> cancel_{false};
};

} // namespace classserver
