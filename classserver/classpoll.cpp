#include "classpoll.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include "classserver.h"
#include "platform/vexel/vexel.h"
#include "profileimport.h"

namespace classserver {

struct ClassPoll::ImportJob {
    QByteArray message;   // the answer, its stored profile from storedAt on
    qsizetype storedAt = 0;
    QString dbPath, computer, product;
    bool decoded = false;
    qint64 ms = 0;
    ImportResult result;
};

ClassPoll::ClassPoll(ClassServer& server, QObject* parent) : QObject(parent), server_(server) {}

ClassPoll::~ClassPoll() {
    // No answer may reach a poll that is gone.
    abort();
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
    job_.reset();
    cancel_ = false;
    running_ = true;
    ++generation_;
    dbPath_ = dbPath;
    report_ = PollReport();
    programs_.clear();
    nextImport_ = 0;
    for (int slot = 1; slot <= server_.highestSlot(); ++slot) {
        if (!server_.slotInUse(slot)) continue;
        if (!server_.isConnected(slot)) {
            server_.dropSlot(slot);
            ++report_.dropped;
            continue;
        }
        Program p;
        p.slot = slot;
        programs_.push_back(p);
    }
    // Every client is asked now; the answers come in any order.
    starting_ = true;
    for (size_t i = 0; i < programs_.size(); ++i) askComputerName(i);
    starting_ = false;
    emit progress(report_.answered, report_.asked);
    const quint64 generation = generation_;
    QTimer::singleShot(0, this, [this, generation] {
        if (running_ && generation == generation_) importNext();
    });
    return true;
}

void ClassPoll::askComputerName(size_t i) {
    const quint64 generation = generation_;
    const bool sent = server_.request(programs_[i].slot, QString::fromLatin1(kComputerName),
                                      [this, generation, i](Reply reply, const QString& answer) {
                                          if (generation != generation_) return;
                                          if (reply == Reply::Disconnected) return settle(i, State::Skipped);
                                          // A program that cannot even name its computer in time
                                          // is asked nothing more.
                                          if (reply == Reply::TimedOut) return settle(i, State::Skipped, true);
                                          programs_[i].computer = answer;
                                          if (!answer.isEmpty()) server_.setPeerName(programs_[i].slot, answer);
                                          askProduct(i);
                                      });
    if (!sent) {
        programs_[i].state = State::Skipped;
        ++report_.skipped;
        return;
    }
    ++report_.asked;
}

void ClassPoll::askProduct(size_t i) {
    const quint64 generation = generation_;
    const bool sent = server_.request(programs_[i].slot, QString::fromLatin1(kProductName),
                                      [this, generation, i](Reply reply, const QString& answer) {
                                          if (generation != generation_) return;
                                          if (reply == Reply::Disconnected) return settle(i, State::Skipped);
                                          // A student program too slow to name its product is
                                          // taken for the first product's.
                                          programs_[i].product =
                                              reply == Reply::Answered ? answer : QString::fromLatin1(kDefaultProduct);
                                          askData(i);
                                      });
    if (!sent) settle(i, State::Skipped);
}

void ClassPoll::askData(size_t i) {
    const quint64 generation = generation_;
    // The profile stays bytes until the worker: converting 16 MiB here would hold up the window.
    const bool sent = server_.requestRaw(
        programs_[i].slot, QString::fromLatin1(kGetData),
        [this, generation, i](Reply reply, const QByteArray& message, qsizetype at) {
            if (generation != generation_) return;
            if (reply != Reply::Answered) return settle(i, State::Skipped, reply == Reply::TimedOut);
            Program& p = programs_[i];
            p.message = message;
            // The room taken for the longest profile is given back while it waits its turn.
            if (p.message.capacity() > 2 * p.message.size() + 4096) p.message.squeeze();
            p.storedAt = at;
            ++report_.answered;
            settle(i, State::Ready);
        });
    if (!sent) settle(i, State::Skipped);
}

void ClassPoll::settle(size_t i, State state, bool silent) {
    Program& p = programs_[i];
    p.state = state;
    p.silent = silent;
    if (state == State::Skipped) ++report_.skipped;
    emit progress(report_.answered, report_.asked);
    if (!starting_) importNext();
}

// Profiles go into the database in slot order, one at a time: a client that has answered
// waits for those before it.
void ClassPoll::importNext() {
    if (!running_ || starting_ || worker_) return;
    while (nextImport_ < programs_.size()) {
        Program& p = programs_[nextImport_];
        if (p.state == State::Asking) return;
        if (p.state == State::Ready) return startImport(p);
        ++nextImport_;
    }
    finish();
}

void ClassPoll::startImport(Program& program) {
    program.state = State::Done;
    auto job = std::make_shared<ImportJob>();
    job->message = std::move(program.message);
    program.message = QByteArray();
    job->storedAt = program.storedAt;
    job->dbPath = dbPath_;
    job->computer = program.computer;
    job->product = program.product;
    job_ = job;
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
    connect(worker_, &QThread::finished, this, [this, generation] {
        if (generation != generation_) return;  // stopped: stop() has taken the worker
        waitForWorker();
        const std::shared_ptr<ImportJob> job = std::move(job_);
        account(*job);
        ++nextImport_;
        importNext();
    });
    worker_->start();
}

void ClassPoll::account(const ImportJob& job) {
    report_.importMs += job.ms;
    if (!job.decoded) {
        report_.failures.push_back({job.computer, 0, QStringLiteral("its profile could not be read")});
        ++report_.skipped;
        return;
    }
    if (!job.result.ok) {
        // A cancelled import left nothing behind; it is no failure of the client's.
        if (!job.result.cancelled) report_.failures.push_back({job.computer, 0, job.result.error});
        ++report_.skipped;
        return;
    }
    ++report_.imported;
    report_.players += job.result.players;
    if (job.result.skipped > 0) {
        report_.playersSkipped += job.result.skipped;
        report_.overLimit.push_back({job.computer, job.result.skipped, QString()});
    }
}

void ClassPoll::collectSilent() {
    report_.silent.clear();
    for (const Program& p : programs_) {
        if (!p.silent) continue;
        const QString label = p.computer.isEmpty() ? server_.peerLabel(p.slot) : p.computer;
        report_.silent << (label.isEmpty() ? QStringLiteral("a program that has left") : label);
    }
}

void ClassPoll::finish() {
    running_ = false;
    collectSilent();
    programs_.clear();
    emit finished(report_);
}

void ClassPoll::stop() {
    running_ = false;
    ++generation_;
    for (const Program& p : programs_)
        if (p.state == State::Asking) server_.cancelRequest(p.slot);
    cancel_ = true;
    waitForWorker();
    // An import that ended before the stop reached it counts, whether it was written or not.
    if (job_) {
        account(*job_);
        job_.reset();
    }
}

bool ClassPoll::stopWaiting() {
    if (!running_) return false;
    bool waiting = false;
    for (Program& p : programs_) {
        if (p.state != State::Asking) continue;
        server_.cancelRequest(p.slot);
        p.state = State::Skipped;
        ++report_.skipped;
        waiting = true;
    }
    if (!waiting) return false;
    report_.cancelled = true;
    emit progress(report_.answered, report_.asked);
    importNext();
    return true;
}

void ClassPoll::abort() {
    if (!running_) return;
    stop();
    programs_.clear();
}

void ClassPoll::cancel() {
    if (!running_) return;
    stop();
    report_.cancelled = true;
    collectSilent();
    programs_.clear();
    emit finished(report_);
}

} // namespace classserver
