// What one wait for a frame brought.
#pragma once

enum class Grab { Complete, Incomplete, TimedOut };
