// Whether this user can create files in a folder, found out the one sure way: by creating one.
#pragma once

#include <filesystem>

// 0 when a temporary file .kestrum-doctor-XXXXXX could be made in the folder (it is removed at
// once, on every way out), else the system's reason (errno).
int folderWriteError(const std::filesystem::path& folder);
