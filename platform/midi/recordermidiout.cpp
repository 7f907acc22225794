#include "recordermidiout.h"

#include "platform/clock.h"

namespace platform {

struct RecorderMidiDevices::State {
    QStringList outputs;
    std::map<int, qint32> openResults;
    std::vector<MidiLogEntry> log;
    int open = 0;

    void add(MidiLogEntry::Kind kind, int device, quint32 message, qint32 result) {
        MidiLogEntry e;
        e.kind = kind;
        e.timeMs = Clock::instance().nowMs();
        e.deviceId = device;
        e.message = message;
        e.result = result;
        log.push_back(e);
    }
};

namespace {
class RecorderMidiOut : public MidiOut {
public:
    RecorderMidiOut(std::shared_ptr<RecorderMidiDevices::State> state, int device)
        : state_(std::move(state)), device_(device) {}
    ~RecorderMidiOut() override { close(); }

    qint32 shortMessage(quint32 message) override {
        if (!open_) return MidiInvalidHandle;
        state_->add(MidiLogEntry::Message, device_, message, MidiOk);
        return MidiOk;
    }
    qint32 close() override {
        if (!open_) return MidiInvalidHandle;
        open_ = false;
        --state_->open;
        state_->add(MidiLogEntry::Close, device_, 0, MidiOk);
        return MidiOk;
    }
    bool isOpen() const override { return open_; }

private:
    std::shared_ptr<RecorderMidiDevices::State> state_;
    int device_;
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
    state_->add(MidiLogEntry::Open, deviceId, 0, rc);
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
