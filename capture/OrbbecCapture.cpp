// Placeholder until the Orbbec capture backend lands: reports no Orbbec camera.
#include "OrbbecCapture.h"

std::optional<int> runOrbbecCapture(const std::filesystem::path&, int32_t, int32_t)
{
    return std::nullopt;
}
