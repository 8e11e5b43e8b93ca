// Sets KESTRUM_SIM_ORBBEC for one test; the simulated SDK reads it whenever a context is made.
#pragma once

#include <cstdlib>
#include <string>

class OrbbecSimulationVariable {
public:
    explicit OrbbecSimulationVariable(const std::string& settings) { setenv(kName, settings.c_str(), 1); }
    ~OrbbecSimulationVariable() { unsetenv(kName); }
    OrbbecSimulationVariable(const OrbbecSimulationVariable&) = delete;
    OrbbecSimulationVariable& operator=(const OrbbecSimulationVariable&) = delete;

private:
    static constexpr const char* kName = "KESTRUM_SIM_ORBBEC";
};
