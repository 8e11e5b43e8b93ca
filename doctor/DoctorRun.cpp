// The run of kestrum-doctor from its arguments to its exit code.
#include "DoctorRun.h"

#include "CameraFindings.h"
#include "DoctorArguments.h"
#include "FindingLines.h"
#include "LineWriter.h"
#include "OrbbecSdkConfigCheck.h"
#include "OutputDirectoryCheck.h"
#include "SeriesSpace.h"
#include "StandardOutput.h"
#include "StopSignal.h"
#include "SystemRoot.h"
#include "UsbFindings.h"

#include <exception>
#include <functional>
#include <pwd.h>
#include <unistd.h>

namespace {

// About three seconds of frames tell the frame rate and the time-outs a capture would meet.
constexpr std::chrono::milliseconds kGrabDuration{3000};

std::string effectiveUserName()
{
    const uid_t uid = ::geteuid();
    const passwd* user = ::getpwuid(uid);
    return user != nullptr ? user->pw_name : "uid " + std::to_string(uid);
}

// What the exception in flight says; to be called in a catch block.
std::string whatWasThrown()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

// The findings of one check; whatever it throws becomes a problem of its topic, so that every
// failure, one that nobody foresaw included, ends in a finding.
Findings guarded(Topic topic, const std::string& what, const std::function<Findings()>& check)
{
    try {
        return check();
    } catch (...) {
        return {{Level::Problem, topic, "kestrum-doctor could not check " + what + ": " + whatWasThrown(),
                 "run it again; if this stays, report the line to kestrum's developers"}};
    }
}

void append(Findings& findings, const Findings& more)
{
    findings.insert(findings.end(), more.begin(), more.end());
}

Findings examineStation(const DoctorOptions& options)
{
    const std::string userName = effectiveUserName();
    UsbSurvey survey;
    try {
        survey = surveyUsb(systemRoot());
    } catch (...) {
        survey = {};
        survey.unreadable = whatWasThrown();
    }
    CameraCheck camera;
    Findings findings;
    const Findings cameraFailure = guarded(Topic::Camera, "the camera", [&] {
        camera = checkCameras(kGrabDuration, steadyClock(), isStopRequested);
        return Findings{};
    });
    append(findings, guarded(Topic::Usb, "the USB devices", [&] { return usbFindings(survey, camera, userName); }));
    append(findings, cameraFailure);
    append(findings, guarded(Topic::Camera, "the camera", [&] { return cameraFindings(camera, survey); }));
    append(findings, guarded(Topic::SdkConfig, "the Orbbec SDK's configuration file", orbbecSdkConfigFindings));
    append(findings, guarded(Topic::Directory, "output directory " + options.outputDir.string(), [&] {
        return outputDirectoryFindings(options.outputDir, seriesToWrite(foundCamera(camera)), userName);
    }));
    return findings;
}

} // namespace

int runDoctor(const std::vector<std::string>& arguments)
{
    try {
        const std::optional<DoctorOptions> options = parseDoctorArguments(arguments);
        if (!options) {
            kestrum::writeLine(STDERR_FILENO, kDoctorUsage);
            return 2;
        }
        const Findings findings = examineStation(*options);
        for (const Finding& finding : findings) {
            if (!kestrum::writeStandardOutput(findingLine(finding, options->json) + "\n")) {
                kestrum::writeLine(STDERR_FILENO, kestrum::kStandardOutputNotWrittenMessage);
                return 1;
            }
        }
        return doctorExitCode(findings);
    } catch (...) {
        // Only where even the lines cannot be made (no memory left): said where a person sees it.
        kestrum::writeLine(STDERR_FILENO, kestrum::oneLine("kestrum-doctor: " + whatWasThrown()));
        return 1;
    }
}
