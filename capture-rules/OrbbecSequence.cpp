// The capture's sequence for an Orbbec camera.
#include "OrbbecSequence.h"

#include <optional>

bool runOrbbecSequence(OrbbecSequenceSteps& steps)
{
    // Whatever way this ends, the camera's destructor stops its streams before it releases them.
    std::optional<OrbbecCamera> camera;
    try {
        camera.emplace(OrbbecCamera::Mode::Rgbd);
    } catch (const NoOrbbecCamera&) {
        return false;
    }
    steps.opened(*camera);
    camera->start();
    steps.started(*camera);
    OrbbecFrames frames(*camera);
    steps.stream(frames);
    // Here rather than in the destructor, so that a failing stop is reported.
    camera->stop();
    return true;
}
