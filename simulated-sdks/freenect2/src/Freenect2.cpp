// The simulated libfreenect2 context: enumerates the Kinect v2 devices that
// KESTRUM_SIM_KINECT attaches and opens them.
#include "KinectSettings.h"
#include "LibraryLog.h"
#include "SimulatedKinect.h"
#include "SimulationRecord.h"

#include <libfreenect2/libfreenect2.hpp>

#include <algorithm>
#include <vector>

namespace libfreenect2 {

namespace {
constexpr const char* kOrigin = "Freenect2Impl";
}

class Freenect2Impl {
public:
    void enumerate()
    {
        kestrum_sim::recordFreenect2Event("enumerate");
        kestrum_sim::logLibraryMessage(Logger::Info, kOrigin, "enumerating devices...");
        settings = kestrum_sim::kinectSettings();
        serials.clear();
        for (long index = 0; index < settings.deviceCount; ++index) {
            serials.push_back(kestrum_sim::kinectSerialNumber(settings, index));
            kestrum_sim::logLibraryMessage(Logger::Info, kOrigin,
                                           "found valid Kinect v2 @sim:" + std::to_string(index + 1) + " with serial " +
                                               serials.back() + " (simulated)");
        }
        kestrum_sim::logLibraryMessage(Logger::Info, kOrigin, "found " + std::to_string(serials.size()) + " devices");
        enumerated = true;
    }

    const std::vector<std::string>& devices()
    {
        if (!enumerated) enumerate();
        return serials;
    }

    kestrum_sim::KinectSettings settings;
    std::vector<std::string> serials;
    bool enumerated = false;
};

Freenect2Device::~Freenect2Device() = default;

Freenect2::Freenect2(void*) : impl_(std::make_unique<Freenect2Impl>()) {}

Freenect2::~Freenect2() { kestrum_sim::recordFreenect2Event("context-destroyed"); }

int Freenect2::enumerateDevices()
{
    impl_->enumerate();
    return static_cast<int>(impl_->serials.size());
}

std::string Freenect2::getDeviceSerialNumber(int idx)
{
    const std::vector<std::string>& serials = impl_->devices();
    return idx >= 0 && idx < static_cast<int>(serials.size()) ? serials[idx] : std::string();
}

std::string Freenect2::getDefaultDeviceSerialNumber() { return getDeviceSerialNumber(0); }

Freenect2Device* Freenect2::openDevice(const std::string& serial) { return openDevice(serial, new CpuPacketPipeline); }

Freenect2Device* Freenect2::openDevice(const std::string& serial, const PacketPipeline* factory)
{
    std::unique_ptr<const PacketPipeline> pipeline(factory);
    const std::vector<std::string>& serials = impl_->devices();
    const auto found = std::find(serials.begin(), serials.end(), serial);
    if (found == serials.end()) {
        kestrum_sim::recordFreenect2Event("open-failed");
        return nullptr;
    }
    if (impl_->settings.failOpen) {
        kestrum_sim::logLibraryMessage(Logger::Error, kOrigin,
                                       "failed to open Kinect v2: @sim:" + std::to_string(found - serials.begin() + 1) +
                                           " (KESTRUM_SIM_KINECT fail=open)");
        kestrum_sim::recordFreenect2Event("open-failed");
        return nullptr;
    }
    return new kestrum_sim::SimulatedKinect(serial, impl_->settings, std::move(pipeline));
}

} // namespace libfreenect2
