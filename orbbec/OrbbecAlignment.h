// OrbbecAlignment: the SDK's Align filter, from a delivered frameset to the aligned colour and depth
// images that the programs keep.
#pragma once

#include "OrbbecRgbdFrame.h"

#include <libobsensor/ObSensor.hpp>

#include <memory>

class OrbbecAlignment {
public:
    // Creates the SDK's filter "Align" with "AlignType" 2, so that it maps depth onto the colour image.
    OrbbecAlignment();
    OrbbecAlignment(const OrbbecAlignment&) = delete;
    OrbbecAlignment& operator=(const OrbbecAlignment&) = delete;

    // Aligns the frameset and copies the result's colour image and its depth in millimetres. Throws
    // std::runtime_error when the filter gives nothing or its result lacks colour or depth, and ob::Error
    // for a failure the SDK reports. The frameset is read only until this returns.
    OrbbecRgbdFrame apply(const std::shared_ptr<ob::FrameSet>& frameset) const;

private:
    const ob::Align filter_;
};
