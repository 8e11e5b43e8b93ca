// The run of kestrum-doctor from its arguments to its exit code.
#include "DoctorRun.h"

#include "CameraFindings.h"
#include "DoctorArguments.h"
#include "FindingLines.h"
#include "LineWriter.h"
#include "OrbbecSdkConfigCheck.h"
#include "OutputDirectoryCheck.h"
#include "RunLimits.h"
#include "SeriesSpace.h"
#include "StandardOutput.h"
#include "StopSignal.h"
#include "SystemRoot.h"
#include "UsbFindings.h"

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

std::string seriesDescription(CameraKind camera)
{
    const std::string series = std::to_string(kLongestDurationMs) + " ms at " + std::to_string(kHighestSampleFps) +
                               " frames per second from ";
    switch (camera) {
    case CameraKind::Orbbec:
        return series + "the Orbbec camera";
    case CameraKind::Kinect:
        return series + "the Kinect v2";
    case CameraKind::None:
        break;
    }
    return series + "the larger of the two cameras";
}

void append(Findings& findings, const Findings& more)
{
    findings.insert(findings.end(), more.begin(), more.end());
}

} // namespace

int runDoctor(const std::vector<std::string>& arguments)
{
    const std::optional<DoctorOptions> options = parseDoctorArguments(arguments);
    if (!options) {
        kestrum::writeLine(STDERR_FILENO, kDoctorUsage);
        return 2;
    }
    const std::string userName = effectiveUserName();
    const UsbSurvey survey = surveyUsb(systemRoot());
    const CameraCheck camera = checkCameras(kGrabDuration, steadyClock(), isStopRequested);
    const CameraKind found = foundCamera(camera);

    Findings findings = usbFindings(survey, camera.orbbec, userName);
    append(findings, cameraFindings(camera, survey));
    append(findings, orbbecSdkConfigFindings());
    append(findings, outputDirectoryFindings(options->outputDir, seriesBytesUpperBound(found),
                                             seriesDescription(found), userName));

    for (const Finding& finding : findings) {
        if (!kestrum::writeStandardOutput(findingLine(finding, options->json) + "\n")) {
            kestrum::writeLine(STDERR_FILENO, kestrum::kStandardOutputNotWrittenMessage);
            return 1;
        }
    }
    return doctorExitCode(findings);
}
