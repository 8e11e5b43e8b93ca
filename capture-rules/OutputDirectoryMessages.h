// The capture's words when another capture writes into its output directory, which kestrum-doctor may quote.
#pragma once

inline constexpr const char* kOutputDirectoryBusyMessage = "Im Ausgabeverzeichnis läuft bereits eine andere Aufnahme.";
