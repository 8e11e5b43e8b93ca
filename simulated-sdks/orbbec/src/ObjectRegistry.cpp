// The call log and the live-object counts of the simulated Orbbec SDK.
#include "ObjectRegistry.h"

#include <array>
#include <atomic>
#include <mutex>

namespace kestrum_sim {
namespace {

constexpr std::size_t kKindCount = static_cast<std::size_t>(OrbbecObjectKind::Error) + 1;

std::array<std::atomic<long>, kKindCount>& liveCounts() {
    static std::array<std::atomic<long>, kKindCount> counts{};
    return counts;
}

struct CallLog {
    std::mutex mutex;
    bool recording = false;
    std::vector<std::string> calls;
};

CallLog& callLog() {
    static CallLog log;
    return log;
}

std::atomic<void (*)()> framesetTimeoutObserver{nullptr};

}  // namespace

namespace orbbec {

void recordCall(const char* function) {
    CallLog& log = callLog();
    std::lock_guard<std::mutex> lock(log.mutex);
    if (log.recording) log.calls.emplace_back(function);
}

void noteCreated(OrbbecObjectKind kind) { ++liveCounts()[static_cast<std::size_t>(kind)]; }

void noteReleased(OrbbecObjectKind kind) { --liveCounts()[static_cast<std::size_t>(kind)]; }

void noteFramesetTimeout() {
    if (void (*observer)() = framesetTimeoutObserver.load()) observer();
}

}  // namespace orbbec

void observeOrbbecFramesetTimeouts(void (*whenRunOut)()) { framesetTimeoutObserver = whenRunOut; }

void startOrbbecCallLog() {
    CallLog& log = callLog();
    std::lock_guard<std::mutex> lock(log.mutex);
    log.recording = true;
    log.calls.clear();
}

std::vector<std::string> orbbecCallLog() {
    CallLog& log = callLog();
    std::lock_guard<std::mutex> lock(log.mutex);
    return log.calls;
}

std::size_t liveOrbbecObjects(OrbbecObjectKind kind) {
    return static_cast<std::size_t>(liveCounts()[static_cast<std::size_t>(kind)].load());
}

std::size_t liveOrbbecObjects() {
    std::size_t total = 0;
    for (const std::atomic<long>& count : liveCounts()) total += static_cast<std::size_t>(count.load());
    return total;
}

}  // namespace kestrum_sim
