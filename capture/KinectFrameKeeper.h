// KinectFrameKeeper: a delivered Kinect v2 frame set registered and written as the five frame files.
#pragma once

#include "KinectRegistration.h"
#include "SampledFrame.h"
#include "WorkerPool.h"

#include <filesystem>

// Made once per run: the registration's buffers and the workers serve every kept frame.
class KinectFrameKeeper {
public:
    KinectFrameKeeper(KinectRegistration& registration, const std::filesystem::path& outputDir);
    KinectFrameKeeper(const KinectFrameKeeper&) = delete;
    KinectFrameKeeper& operator=(const KinectFrameKeeper&) = delete;

    // Registers the depth onto the colour image and writes the files and "frameSaved" with
    // writeKinectFrameFiles. The frames are read only until this returns. The frame as
    // written: views into the colour frame and into buffers that the next call overwrites.
    SampledFrame keep(const libfreenect2::Frame& color, const libfreenect2::Frame& depth, int32_t index,
                      int64_t timestampMs);

private:
    KinectRegistration& registration_;
    const std::filesystem::path outputDir_;
    WorkerPool workers_;
};
