#include "common/uihooks.h"

namespace qvr {

namespace {
std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}
std::function<void(bool)>& Hourglass() {
    static std::function<void(bool)> handler;
    return handler;
}
}  // namespace

void ProcessMessages() {
    if (Pump()) Pump()();
}

void SetMessagePump(std::function<void()> pump) { Pump() = std::move(pump); }

void SetHourglass(bool on) {
    if (Hourglass()) Hourglass()(on);
}

void SetHourglassHandler(std::function<void(bool)> handler) { Hourglass() = std::move(handler); }

}  // namespace qvr
