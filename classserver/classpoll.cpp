#include "classpoll.h"

#include <QTimer>

#include "classserver.h"
#include "platform/vexel/vexel.h"
#include "profileimport.h"

namespace classserver {

ClassPoll::ClassPoll(ClassServer& server, QObject* parent) : QObject(parent), server_(server) {}

bool ClassPoll::start(const QString& dbPath) {
    if (running_) return false;
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
                                              if (reply != Reply::Answered) return skip();
                                              computer_ = answer;
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
                                          if (reply != Reply::Answered) return skip();
                                          product_ = answer;
                                          askData();
                                      });
    if (!sent) skip();
}

void ClassPoll::askData() {
    const quint64 generation = generation_;
    const bool sent = server_.request(slot_, QString::fromLatin1(kGetData),
                                      [this, generation](Reply reply, const QString& answer) {
                                          if (generation != generation_) return;
                                          if (reply != Reply::Answered) return skip();
                                          importData(answer);
                                      });
    if (!sent) skip();
}

void ClassPoll::importData(const QString& stored) {
    bool decoded = false;
    const QString text = platform::Vexel::DecodeText(stored, platform::kStoredTextKey, &decoded);
    if (!decoded) return skip();
    const ImportResult result = importProfile(dbPath_, text, computer_, product_);
    if (!result.ok) return skip();
    ++report_.imported;
    report_.players += result.players;
    scheduleNext();
}

void ClassPoll::skip() {
    ++report_.skipped;
    scheduleNext();
}

} // namespace classserver
