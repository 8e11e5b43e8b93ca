// The doctor's findings about the USB bus: each camera's link speed and device node,
// a Kinect v2 without power, both kinds attached, or none at all.
#pragma once

#include "CameraCheck.h"
#include "Finding.h"
#include "UsbSurvey.h"

#include <string>

// An Orbbec camera on USB 2 is a problem only where the camera check could not start the
// streams the programs need; userName is the user the access was judged for.
Findings usbFindings(const UsbSurvey& survey, const OrbbecCheck& orbbec, const std::string& userName);
