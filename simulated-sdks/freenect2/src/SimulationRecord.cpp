// Process-wide record of the simulated libfreenect2's lifecycle for tests.
#include "SimulationRecord.h"

#include "kestrum_sim/Freenect2Observer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace kestrum_sim {
namespace {

struct Record {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<const libfreenect2::FrameListener*> streamingListeners;
    std::vector<const libfreenect2::FrameListener*> waitedOn;   // once per waiting reader
};

Record& record()
{
    static Record instance;
    return instance;
}

std::atomic<long> unreleasedSets{0};
std::atomic<long> liveFrames{0};
std::atomic<void (*)()> eventObserver{nullptr};

} // namespace

void recordFreenect2Event(const std::string& event)
{
    if (void (*observer)() = eventObserver.load()) observer();
    std::lock_guard<std::mutex> lock(record().mutex);
    record().events.push_back(event);
}

std::vector<std::string> freenect2Events()
{
    std::lock_guard<std::mutex> lock(record().mutex);
    return record().events;
}

void clearFreenect2Events()
{
    std::lock_guard<std::mutex> lock(record().mutex);
    record().events.clear();
}

void observeFreenect2Events(void (*beforeEachEvent)()) { eventObserver = beforeEachEvent; }

void countFrameSets(long delivered, long released) { unreleasedSets += delivered - released; }
void countDeviceFrames(long change) { liveFrames += change; }
long unreleasedFrameSets() { return unreleasedSets; }
long liveDeviceFrames() { return liveFrames; }

void addStreamingListener(const libfreenect2::FrameListener* listener)
{
    if (!listener) return;
    std::lock_guard<std::mutex> lock(record().mutex);
    record().streamingListeners.push_back(listener);
}

void removeStreamingListener(const libfreenect2::FrameListener* listener)
{
    std::lock_guard<std::mutex> lock(record().mutex);
    auto& listeners = record().streamingListeners;
    const auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found != listeners.end()) listeners.erase(found);
}

void abortIfStreamingTo(const libfreenect2::FrameListener* listener)
{
    std::lock_guard<std::mutex> lock(record().mutex);
    const auto& listeners = record().streamingListeners;
    if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) return;
    std::fprintf(stderr, "simulated libfreenect2: a frame listener was destroyed while a device still "
                         "streams to it (stop and close the device first)\n");
    std::abort();
}

ReaderWaiting::ReaderWaiting(const libfreenect2::FrameListener* listener) : listener_(listener)
{
    std::lock_guard<std::mutex> lock(record().mutex);
    record().waitedOn.push_back(listener);
}

ReaderWaiting::~ReaderWaiting()
{
    std::lock_guard<std::mutex> lock(record().mutex);
    auto& waitedOn = record().waitedOn;
    waitedOn.erase(std::find(waitedOn.begin(), waitedOn.end(), listener_));
}

bool readerWaitsOn(const libfreenect2::FrameListener* listener)
{
    std::lock_guard<std::mutex> lock(record().mutex);
    const auto& waitedOn = record().waitedOn;
    return std::find(waitedOn.begin(), waitedOn.end(), listener) != waitedOn.end();
}

} // namespace kestrum_sim
