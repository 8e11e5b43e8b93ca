// A stream profile as handles and frames share it, with the extrinsics bound from it to other profiles.
#pragma once

#include "StreamProfiles.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kestrum_sim::orbbec {

// Bound before frames refer to it, then only read.
struct ProfileNode {
    explicit ProfileNode(VideoProfile values) : values(std::move(values)) {}

    VideoProfile values;
    std::vector<std::pair<std::weak_ptr<const ProfileNode>, ob_extrinsic>> extrinsicsTo;
};

// No turn and no offset between two cameras.
inline constexpr ob_extrinsic kIdentityExtrinsic{{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f}};

// Replaces an earlier binding from `from` to `to`.
void bindExtrinsic(ProfileNode& from, const std::shared_ptr<const ProfileNode>& to, const ob_extrinsic& extrinsic);

// The extrinsic bound from `from` to `to`, else the inverse of one bound the other way, else none.
std::optional<ob_extrinsic> extrinsicBetween(const ProfileNode& from, const ProfileNode& to);

}  // namespace kestrum_sim::orbbec
