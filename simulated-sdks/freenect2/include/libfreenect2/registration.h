// Depth-to-colour registration of the simulated libfreenect2: undistortion with the
// IR lens model, then a pinhole projection into the colour camera shift_m mm beside it.
#pragma once

#include <libfreenect2/config.h>
#include <libfreenect2/frame_listener.hpp>
#include <libfreenect2/libfreenect2.hpp>

#include <memory>

namespace libfreenect2 {

class RegistrationImpl;

class LIBFREENECT2_API Registration {
public:
    Registration(Freenect2Device::IrCameraParams depth_p, Freenect2Device::ColorCameraParams rgb_p);
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

    // rgb 1920x1080 BGRX, depth 512x424 float; undistorted and registered 512x424x4.
    // bigdepth, if given, is 1920x1082 float (a blank row above and below).
    // color_depth_map, if given, receives row * 1920 + column of the colour pixel each
    // depth pixel sees; entries of depth pixels that see none are left untouched.
    void apply(const Frame* rgb, const Frame* depth, Frame* undistorted, Frame* registered,
               const bool enable_filter = true, Frame* bigdepth = 0, int* color_depth_map = 0) const;

private:
    std::unique_ptr<RegistrationImpl> impl_;
};

} // namespace libfreenect2
