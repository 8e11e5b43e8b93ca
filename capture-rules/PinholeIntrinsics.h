// A camera's lens as capture.json records it.
#pragma once

// Focal lengths and principal point, in pixels.
struct PinholeIntrinsics {
    float fx = 0.0f;
    float fy = 0.0f;
    float cx = 0.0f;
    float cy = 0.0f;
};
