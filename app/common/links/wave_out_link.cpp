#include "wave_out_link.h"

#include "wave_out_functions.h"

namespace vk350 {

int WaveOutLink::DeviceCount() {
    return out_.NumDevs();
}

std::string WaveOutLink::DeviceName(int device) {
    return WaveOutGetDeviceName(device_, device);
}

void WaveOutLink::SetDeviceID(int device) {
    out_.SetDeviceID(device);
}

int WaveOutLink::BufferSize() const {
    return int(out_.GetBufferSize());
}

int WaveOutLink::NumBuffers() const {
    return out_.NumBuffers();
}

void WaveOutLink::SetNumBuffers(int count) {
    out_.SetNumBuffers(count);
}

PlaybackMethod WaveOutLink::Method() const {
    switch (out_.CallBackMode()) {
    case cmThread:
        return PlaybackMethod::Thread;
    case cmCallback:
        return PlaybackMethod::Interrupt;
    case cmWindow:
        break;
    }
    return PlaybackMethod::Window;
}

void WaveOutLink::SetMethod(PlaybackMethod method) {
    switch (method) {
    case PlaybackMethod::Window:
        out_.SetCallBackMode(cmWindow);
        break;
    case PlaybackMethod::Thread:
        out_.SetCallBackMode(cmThread);
        break;
    case PlaybackMethod::Interrupt:
        out_.SetCallBackMode(cmCallback);
        break;
    }
}

bool WaveOutLink::InterruptAllowed() const {
    return kInterruptTimeNotices;
}

} // namespace vk350
