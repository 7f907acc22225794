#include "recordermidiout.h"

#include "platform/clock.h"

#include <algorithm>

namespace platform {

struct RecorderMidiDevices::State {
    QStringList outputs;
    std::map<int, qint32> openResults;
    std::vector<MidiLogEntry> log;
    int open = 0;
    int connections = 0;

    void add(MidiLogEntry e) {
        auto at = std::upper_bound(log.begin(), log.end(), e.timeMs,
                                   [](qint64 t, const MidiLogEntry& l) { return t < l.timeMs; });
        log.insert(at, e);
    }
    void add(MidiLogEntry::Kind kind, int device, int connection, quint32 message, qint32 result) {
        MidiLogEntry e;
        e.kind = kind;
        e.timeMs = Clock::instance().nowMs();
        e.deviceId = device;
        e.message = message;
        e.result = result;
        e.connection = connection;
        add(e);
    }
    bool isPending(const MidiLogEntry& e, int connection, qint64 now) const {
        return e.scheduled && e.connection == connection && e.timeMs > now;
    }
};

namespace {
class RecorderMidiOut : public MidiOut {
public:
    RecorderMidiOut(std::shared_ptr<RecorderMidiDevices::State> state, int device)
        : state_(std::move(state)), device_(device), connection_(++state_->connections) {}
    ~RecorderMidiOut() override { close(); }

    qint32 shortMessage(quint32 message) override {
        if (!open_) return MidiInvalidHandle;
        state_->add(MidiLogEntry::Message, device_, connection_, message, MidiOk);
        return MidiOk;
    }
    void sendAt(const std::vector<TimedMessage>& messages) override {
        if (!open_) return;
        for (const TimedMessage& m : messages) {
            MidiLogEntry e;
            e.kind = MidiLogEntry::Message;
            e.timeMs = m.timeMs;
            e.deviceId = device_;
            e.message = m.message;
            e.connection = connection_;
            e.scheduled = true;
            state_->add(e);
        }
    }
    std::vector<TimedMessage> cancelScheduled() override {
        std::vector<TimedMessage> dropped;
        const qint64 now = Clock::instance().nowMs();
        auto& log = state_->log;
        auto keep = std::remove_if(log.begin(), log.end(), [&](const MidiLogEntry& e) {
            if (!state_->isPending(e, connection_, now)) return false;
            dropped.push_back({e.timeMs, e.message});
            return true;
        });
        log.erase(keep, log.end());
        return dropped;
    }
    bool hasScheduled() const override {
        const qint64 now = Clock::instance().nowMs();
        return std::any_of(state_->log.begin(), state_->log.end(),
                           [&](const MidiLogEntry& e) { return state_->isPending(e, connection_, now); });
    }
    qint32 close() override {
        if (!open_) return MidiInvalidHandle;
        cancelScheduled();
        open_ = false;
        --state_->open;
        state_->add(MidiLogEntry::Close, device_, connection_, 0, MidiOk);
        return MidiOk;
    }
    bool isOpen() const override { return open_; }

private:
    std::shared_ptr<RecorderMidiDevices::State> state_;
    int device_;
    int connection_;
    bool open_ = true;
};
} // namespace

RecorderMidiDevices::RecorderMidiDevices(const QStringList& outputs) : state_(std::make_shared<State>()) {
    state_->outputs = outputs;
}

RecorderMidiDevices::~RecorderMidiDevices() = default;

QStringList RecorderMidiDevices::outputDevices() { return state_->outputs; }

std::unique_ptr<MidiOut> RecorderMidiDevices::open(int deviceId, qint32* result) {
    qint32 rc = MidiOk;
    if (deviceId < Mapper || deviceId >= state_->outputs.size()) rc = MidiBadDeviceId;
    else if (auto it = state_->openResults.find(deviceId); it != state_->openResults.end()) rc = it->second;
    state_->add(MidiLogEntry::Open, deviceId, 0, 0, rc);
    if (result) *result = rc;
    if (rc != MidiOk) return nullptr;
    ++state_->open;
    return std::make_unique<RecorderMidiOut>(state_, deviceId);
}

void RecorderMidiDevices::setOutputs(const QStringList& outputs) { state_->outputs = outputs; }

void RecorderMidiDevices::setOpenResult(int deviceId, qint32 result) {
    if (result == MidiOk) state_->openResults.erase(deviceId);
    else state_->openResults[deviceId] = result;
}

const std::vector<MidiLogEntry>& RecorderMidiDevices::log() const { return state_->log; }

std::vector<TimedMessage> RecorderMidiDevices::messages() const {
    std::vector<TimedMessage> out;
    for (const MidiLogEntry& e : state_->log)
        if (e.kind == MidiLogEntry::Message) out.push_back({e.timeMs, e.message});
    return out;
}

int RecorderMidiDevices::openConnections() const { return state_->open; }

void RecorderMidiDevices::clearLog() { state_->log.clear(); }

} // namespace platform
