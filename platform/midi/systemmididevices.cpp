#include "systemmididevices.h"

#include "platform/midi/alsamidiout.h"
#include "platform/midi/fluidsynthmidiout.h"

namespace platform {

SystemMidiDevices::SystemMidiDevices(const QStringList& audioDrivers, std::shared_ptr<FluidSynthEngine> engine)
    : audioDrivers_(audioDrivers), engine_(std::move(engine)) {}

SystemMidiDevices::~SystemMidiDevices() = default;

QStringList SystemMidiDevices::outputDevices() {
    names_ = AlsaMidiOut::portNames();
    return names_;
}

std::unique_ptr<MidiOut> SystemMidiDevices::open(int deviceId, qint32* result) {
    if (deviceId == Mapper) return FluidSynthMidiOut::open(engine_ ? engine_ : FluidSynthEngine::shared(), audioDrivers_, result);
    if (deviceId < 0) {
        if (result) *result = MidiBadDeviceId;
        return nullptr;
    }
    const QString expected = deviceId < names_.size() ? names_[deviceId] : QString();
    return AlsaMidiOut::open(deviceId, expected, result);
}

} // namespace platform
