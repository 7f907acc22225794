#include "classpoll.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <memory>

#include "classserver.h"
#include "platform/vexel/vexel.h"
#include "profileimport.h"

namespace classserver {

ClassPoll::ClassPoll(ClassServer& server, QObject* parent) : QObject(parent), server_(server) {}

ClassPoll::~ClassPoll() {
    cancel_ = true;
    waitForWorker();
}

void ClassPoll::waitForWorker() {
    if (!worker_) return;
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
}

bool ClassPoll::start(const QString& dbPath) {
    if (running_) return false;
    waitForWorker();
    cancel_ = false;
    running_ = true;
    ++generation_;
    dbPath_ = dbPath;
    report_ = PollReport();
    slot_ = 0;
    scheduleNext();
    return true;
}

void ClassPoll::abort() {
    if (!running_) return;
    running_ = false;
    ++generation_;
    server_.cancelRequest();
    cancel_ = true;
    waitForWorker();
}

// Each client starts from the event loop, so a long run of clients never deepens the stack.
void ClassPoll::scheduleNext() {
    const quint64 generation = generation_;
    QTimer::singleShot(0, this, [this, generation] {
        if (running_ && generation == generation_) nextClient();
    });
}

void ClassPoll::nextClient() {
    for (++slot_; slot_ <= server_.highestSlot(); ++slot_) {
        if (!server_.slotInUse(slot_)) continue;
        if (!server_.isConnected(slot_)) {
            server_.dropSlot(slot_);
            ++report_.dropped;
            continue;
        }
        computer_.clear();
        product_.clear();
        const quint64 generation = generation_;
        const bool sent = server_.request(slot_, QString::fromLatin1(kComputerName),
                                          [this, generation](Reply reply, const QString& answer) {
                                              if (generation != generation_) return;
                                              if (reply == Reply::Disconnected) return skip();
                                              // A name that does not come in time is taken as it is.
                                              computer_ = reply == Reply::Answered ? answer : QString::fromLatin1(kNotFound);
                                              askProduct();
                                          });
        if (!sent) {
            ++report_.skipped;
            continue;
        }
        ++report_.asked;
        return;
    }
    running_ = false;
    emit finished(report_);
}

void ClassPoll::askProduct() {
    const quint64 generation = generation_;
    const bool sent = server_.request(slot_, QString::fromLatin1(kProductName),
                                      [this, generation](Reply reply, const QString& answer) {
                                          if (generation != generation_) return;
                                          if (reply == Reply::Disconnected) return skip();
                                          // A student program too slow to name its product is
                                          // taken for the first product's.
                                          product_ = reply == Reply::Answered ? answer : QString::fromLatin1(kDefaultProduct);
                                          askData();
                                      });
    if (!sent) skip();
}

void ClassPoll::askData() {
    const quint64 generation = generation_;
    // The profile stays bytes until the worker: converting 16 MiB here would hold up the window.
    const bool sent = server_.requestRaw(slot_, QString::fromLatin1(kGetData),
                                         [this, generation](Reply reply, const QByteArray& message, qsizetype at) {
                                             if (generation != generation_) return;
                                             if (reply != Reply::Answered) return skip();
                                             importData(message, at);
                                         });
    if (!sent) skip();
}

namespace {
struct ImportJob {
    QByteArray message;   // the answer, its stored profile from storedAt on
    qsizetype storedAt = 0;
    QString dbPath, computer, product;
    bool decoded = false;
    qint64 ms = 0;
    ImportResult result;
};
} // namespace

void ClassPoll::importData(const QByteArray& message, qsizetype storedAt) {
    ++report_.answered;
    auto job = std::make_shared<ImportJob>();
    job->message = message;
    job->storedAt = storedAt;
    job->dbPath = dbPath_;
    job->computer = computer_;
    job->product = product_;
    const std::atomic<bool>* cancel = &cancel_;
    worker_ = QThread::create([job, cancel] {
        QElapsedTimer clock;
        clock.start();
        QString text = platform::Vexel::DecodeStored(QByteArrayView(job->message).sliced(job->storedAt),
                                                     platform::kStoredTextKey, &job->decoded);
        job->message = QByteArray();
        if (job->decoded) job->result = importProfile(job->dbPath, text, job->computer, job->product, cancel);
        text = QString();
        job->ms = clock.elapsed();
    });
    const quint64 generation = generation_;
    connect(worker_, &QThread::finished, this, [this, job, generation] {
        if (generation != generation_) return;  // aborted: abort() has taken the worker
        waitForWorker();
        report_.importMs += job->ms;
        if (!job->decoded) {
            report_.failures.push_back({job->computer, 0, QStringLiteral("its profile could not be read")});
            return skip();
        }
        if (!job->result.ok) {
            report_.failures.push_back({job->computer, 0, job->result.error});
            return skip();
        }
        ++report_.imported;
        report_.players += job->result.players;
        if (job->result.skipped > 0) {
            report_.playersSkipped += job->result.skipped;
            report_.overLimit.push_back({job->computer, job->result.skipped, QString()});
        }
        scheduleNext();
    });
    worker_->start();
}

void ClassPoll::skip() {
    ++report_.skipped;
    scheduleNext();
}

} // namespace classserver
