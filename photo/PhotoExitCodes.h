// The exit codes of kestrum-photo (1 is not used).
#pragma once

enum PhotoExitCode : int {
    kExitSuccess = 0,
    kExitUsage = 2,
    kExitNoCamera = 3,
    kExitKinectNotOpened = 4,
    kExitKinectNotStarted = 5,
    kExitNoOutput = 6,
    kExitOrbbecError = 7,
    kExitKinectError = 8,
};
