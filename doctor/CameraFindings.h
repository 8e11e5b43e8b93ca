// The doctor's findings about the camera the programs would use, in the programs' words
// where they would fail, with the likely cause where the USB bus shows what the SDK does not.
#pragma once

#include "CameraCheck.h"
#include "Finding.h"
#include "UsbSurvey.h"

Findings cameraFindings(const CameraCheck& check, const UsbSurvey& survey);
