// The doctor's findings about the USB bus: each camera's link speed and device node, a Kinect v2
// without power, both kinds attached, none at all, and what could not be read.
#pragma once

#include "CameraCheck.h"
#include "Finding.h"
#include "UsbSurvey.h"

#include <string>

// A finding is a problem only where a capture with the camera the programs use would fail by it:
// an Orbbec camera on USB 2 only where the camera check could not start the streams the programs
// need, a Kinect v2 on USB 2, without power or with a closed node not while the programs use an
// Orbbec camera. userName is the user the access was judged for.
Findings usbFindings(const UsbSurvey& survey, const CameraCheck& check, const std::string& userName);
