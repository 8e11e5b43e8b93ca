// The photo or live stream from an Orbbec camera, tried first.
#pragma once

#include "PhotoOptions.h"

#include <optional>

// The exit code of the Orbbec attempt (0, 6 or 7), or empty when no Orbbec
// camera is attached and the Kinect v2 is to be tried. Every other failure,
// image library errors included, is reported as "Orbbec-Fehler: <text>" with
// code 7 after the camera has been stopped and released.
std::optional<int> runOrbbecPhoto(const PhotoOptions& options);
