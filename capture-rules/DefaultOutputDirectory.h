// Where a series goes when no output directory is given: kestrum-capture records there and
// kestrum-doctor checks it.
#pragma once

inline constexpr const char* kDefaultOutputDir = "/usr/local/var/kestrum-measurement/tmp/test-series";
