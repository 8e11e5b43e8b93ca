// The capture's sequence for an Orbbec camera: open the first one for aligned colour and depth,
// start it, let the program take its frames, stop it. kestrum-capture records a series with it,
// kestrum-doctor checks the camera with it.
#pragma once

#include "OrbbecCamera.h"
#include "OrbbecFrames.h"

// What a program does after each step of the sequence.
class OrbbecSequenceSteps {
public:
    virtual ~OrbbecSequenceSteps() = default;
    // The camera is open and does not stream yet.
    virtual void opened(const OrbbecCamera& camera) = 0;
    // It streams; its intrinsics and frame synchronisation are known.
    virtual void started(const OrbbecCamera& camera) = 0;
    // Takes frames, the warm-up's first, for as long as the program likes.
    virtual void stream(OrbbecFrames& frames) = 0;
};

// Opens, starts, streams, then stops the camera, unless the program has stopped it already.
// Returns false, with no step called, when no Orbbec camera is attached. Every other failure, of
// the camera or of a step, passes on once the camera is stopped and released.
bool runOrbbecSequence(OrbbecSequenceSteps& steps);
