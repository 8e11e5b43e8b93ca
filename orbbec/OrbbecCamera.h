// OrbbecCamera: the first attached Orbbec camera, colour-only or aligned colour and depth.
#pragma once

#include "OrbbecFailures.h"
#include "OrbbecGeometry.h"
#include "OrbbecRgbdFrame.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <memory>
#include <string>

// The frame rate of the profile whose size OrbbecGeometry.h gives.
inline constexpr int32_t kOrbbecStreamFps = 30;

struct OrbbecDeviceInfo {
    std::string name;
    std::string serialNumber;
    std::string firmwareVersion;
    std::string connectionType;
};

// Colour stream intrinsics, in pixels.
struct OrbbecIntrinsics {
    float fx = 0.0f;
    float fy = 0.0f;
    float cx = 0.0f;
    float cy = 0.0f;
    int32_t width = 0;
    int32_t height = 0;
};

class OrbbecCamera {
public:
    enum class Mode : int32_t { Color = 0, Rgbd = 1 };

    // Opens the first attached camera; does not start streaming. Throws
    // NoOrbbecCamera when none is attached.
    explicit OrbbecCamera(Mode mode);
    ~OrbbecCamera();
    OrbbecCamera(const OrbbecCamera&) = delete;
    OrbbecCamera& operator=(const OrbbecCamera&) = delete;

    void start();
    void stop();

    // Each throws OrbbecFrameTimeout when no frameset comes within timeoutMs.
    cv::Mat grabColor(uint32_t timeoutMs);
    OrbbecRgbdFrame grabAlignedRgbd(uint32_t timeoutMs);

    const OrbbecDeviceInfo& deviceInfo() const;
    const OrbbecIntrinsics& intrinsics() const;
    bool isStarted() const;
    bool frameSyncEnabled() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
