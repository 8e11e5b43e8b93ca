// Extrinsics between shared stream profiles.
#include "ProfileNode.h"

#include <algorithm>

namespace kestrum_sim::orbbec {
namespace {

std::optional<ob_extrinsic> boundExtrinsic(const ProfileNode& from, const ProfileNode& to) {
    for (const auto& [target, extrinsic] : from.extrinsicsTo) {
        if (target.lock().get() == &to) return extrinsic;
    }
    return std::nullopt;
}

// p = R^T (p' - t): the rotation transposed, the translation rotated back and negated.
ob_extrinsic inverse(const ob_extrinsic& extrinsic) {
    ob_extrinsic inverted{};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) inverted.rot[row * 3 + column] = extrinsic.rot[column * 3 + row];
    }
    for (int row = 0; row < 3; ++row) {
        float sum = 0.0f;
        for (int column = 0; column < 3; ++column) sum += inverted.rot[row * 3 + column] * extrinsic.trans[column];
        inverted.trans[row] = -sum;
    }
    return inverted;
}

}  // namespace

void bindExtrinsic(ProfileNode& from, const std::shared_ptr<const ProfileNode>& to, const ob_extrinsic& extrinsic) {
    auto& bindings = from.extrinsicsTo;
    bindings.erase(std::remove_if(bindings.begin(), bindings.end(),
                                  [&](const auto& binding) { return binding.first.lock() == to; }),
                   bindings.end());
    bindings.emplace_back(to, extrinsic);
}

std::optional<ob_extrinsic> extrinsicBetween(const ProfileNode& from, const ProfileNode& to) {
    if (const std::optional<ob_extrinsic> direct = boundExtrinsic(from, to)) return direct;
    if (const std::optional<ob_extrinsic> reverse = boundExtrinsic(to, from)) return inverse(*reverse);
    return std::nullopt;
}

}  // namespace kestrum_sim::orbbec
