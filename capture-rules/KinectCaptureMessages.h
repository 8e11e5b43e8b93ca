// The capture's words for a Kinect v2 that fails, which kestrum-doctor quotes.
#pragma once

inline constexpr const char* kNoKinectMessage = "Keine Kinect v2 gefunden.";
inline constexpr const char* kKinectNotOpenedMessage = "Kinect konnte nicht geöffnet werden.";
inline constexpr const char* kKinectNotStartedMessage = "Kinect konnte nicht gestartet werden.";
inline constexpr const char* kKinectWarmupTimeoutMessage = "Zeitüberschreitung während der Aufwärmphase.";
