// timing.csv, the times of a series' kept frames, written and read in one place.
#include "SeriesTiming.h"

#include "FileBytes.h"

#include <charconv>
#include <cmath>

namespace {

// Far more than the 152 lines of the longest run the capture can make.
constexpr uintmax_t kLargestTimingFileBytes = uintmax_t{1} << 20;

constexpr const char* kHeader =
    "index,timestampMs,hostWallClockUs,hostMonotonicUs,receivedSincePrevious,"
    "colorFrameNumber,colorDeviceTimestampUs,colorSystemTimestampUs,colorGlobalTimestampUs,colorExposure,colorGain,"
    "depthFrameNumber,depthDeviceTimestampUs,depthSystemTimestampUs,depthGlobalTimestampUs,depthExposure,depthGain,"
    "samplingStartWallClockUs,samplingStartMonotonicUs";
constexpr size_t kColumns = 19;

template <typename Number> std::string decimal(Number value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

template <typename Number> std::string optionalDecimal(const std::optional<Number>& value)
{
    return value ? decimal(*value) : std::string();
}

void appendStream(std::string& line, const StreamTiming& stream)
{
    line += "," + decimal(stream.frameNumber) + "," + decimal(stream.deviceTimestampUs) + "," +
            optionalDecimal(stream.systemTimestampUs) + "," + optionalDecimal(stream.globalTimestampUs) + "," +
            optionalDecimal(stream.exposure) + "," + optionalDecimal(stream.gain);
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// A field as a problem names it: in quotes, and cut short where it is long.
std::string quoted(std::string_view field)
{
    constexpr size_t kLongest = 40;
    return "\"" + std::string(field.substr(0, kLongest)) + (field.size() > kLongest ? "...\"" : "\"");
}

// The fields of one line, in column order, each read once; the first field that does not read is the
// line's problem.
class LineFields {
public:
    explicit LineFields(std::vector<std::string_view> fields) : fields_(std::move(fields)) {}

    template <typename Integer> Integer integer()
    {
        const std::string_view field = next();
        Integer value{};
        if (field.empty()) {
            fail("is empty");
        } else if (const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
                   error != std::errc() || end != field.data() + field.size()) {
            fail(quoted(field) + " is not " +
                 (std::is_signed_v<Integer> ? "a " + std::to_string(sizeof(Integer) * 8) + "-bit integer"
                                            : std::string("a whole number below 2^64")));
        }
        return value;
    }

    template <typename Integer> std::optional<Integer> optionalInteger()
    {
        if (fields_[column_].empty()) {
            ++column_;
            return std::nullopt;
        }
        return integer<Integer>();
    }

    std::optional<double> optionalNumber()
    {
        const std::string_view field = next();
        if (field.empty()) return std::nullopt;
        double value = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(value)) {
            fail(quoted(field) + " is not a decimal number");
        }
        return value;
    }

    StreamTiming stream()
    {
        StreamTiming read;
        read.frameNumber = integer<uint64_t>();
        read.deviceTimestampUs = integer<uint64_t>();
        read.systemTimestampUs = optionalInteger<uint64_t>();
        read.globalTimestampUs = optionalInteger<uint64_t>();
        read.exposure = optionalNumber();
        read.gain = optionalNumber();
        return read;
    }

    const std::optional<std::string>& problem() const { return problem_; }

private:
    std::string_view next() { return fields_[column_++]; }

    void fail(const std::string& what)
    {
        static const std::vector<std::string_view> names = split(kHeader, ',');
        if (!problem_) problem_ = std::string(names[column_ - 1]) + " " + what;
    }

    std::vector<std::string_view> fields_;
    size_t column_ = 0;
    std::optional<std::string> problem_;
};

} // namespace

std::string timingCsvText(const SeriesTiming& timing)
{
    std::string text = std::string(kHeader) + "\n";
    for (const FrameTiming& frame : timing.frames) {
        std::string line = decimal(frame.index) + "," + decimal(frame.timestampMs) + "," +
                           decimal(frame.hostWallClockUs) + "," + decimal(frame.hostMonotonicUs) + "," +
                           decimal(frame.receivedSincePrevious);
        appendStream(line, frame.camera.color);
        appendStream(line, frame.camera.depth);
        const SamplingStart start = timing.samplingStart.value();
        text += line + "," + decimal(start.wallClockUs) + "," + decimal(start.monotonicUs) + "\n";
    }
    return text;
}

TimingFile parseTimingCsv(std::string_view text)
{
    TimingFile file;
    std::vector<std::string_view> lines = split(text, '\n');
    // Every line ends with a line feed, so the last part is empty unless the file was cut short.
    const bool cutShort = !lines.back().empty();
    lines.pop_back();
    if (lines.empty() || lines.front() != kHeader) {
        file.problems.push_back(std::string("line 1: is not the header line \"") + kHeader + "\"");
        return file;
    }
    for (size_t number = 2; number <= lines.size(); ++number) {
        const std::string lineName = "line " + std::to_string(number) + ": ";
        const std::vector<std::string_view> fields = split(lines[number - 1], ',');
        if (fields.size() != kColumns) {
            file.problems.push_back(lineName + "has " + std::to_string(fields.size()) + " fields, not " +
                                    std::to_string(kColumns));
            continue;
        }
        LineFields read(fields);
        FrameTiming frame;
        frame.index = read.integer<int32_t>();
        frame.timestampMs = read.integer<int64_t>();
        frame.hostWallClockUs = read.integer<int64_t>();
        frame.hostMonotonicUs = read.integer<int64_t>();
        frame.receivedSincePrevious = read.integer<int64_t>();
        frame.camera.color = read.stream();
        frame.camera.depth = read.stream();
        const SamplingStart start{read.integer<int64_t>(), read.integer<int64_t>()};
        if (read.problem()) {
            file.problems.push_back(lineName + *read.problem());
            continue;
        }
        if (!file.timing.samplingStart) {
            file.timing.samplingStart = start;
        } else if (start.wallClockUs != file.timing.samplingStart->wallClockUs ||
                   start.monotonicUs != file.timing.samplingStart->monotonicUs) {
            file.problems.push_back(lineName + "the sampling start differs from the first frame's");
        }
        file.timing.frames.push_back(frame);
        file.frameLines.push_back(number);
    }
    if (cutShort) {
        file.problems.push_back("line " + std::to_string(lines.size() + 1) + ": is cut short, without its line feed");
    }
    return file;
}

std::vector<std::string> frameOrderProblems(const TimingFile& file, int64_t savedFrames)
{
    std::vector<std::string> problems;
    const std::vector<FrameTiming>& frames = file.timing.frames;
    if (static_cast<int64_t>(frames.size()) != savedFrames) {
        problems.push_back("holds " + std::to_string(frames.size()) + " frames, not savedFrames " +
                           std::to_string(savedFrames));
    }
    for (size_t k = 0; k < frames.size(); ++k) {
        if (frames[k].index != static_cast<int32_t>(k)) {
            problems.push_back("line " + std::to_string(file.frameLines[k]) + ": index " +
                               std::to_string(frames[k].index) + ", not " + std::to_string(k) +
                               " (a line is missing or out of place)");
        }
    }
    return problems;
}

std::optional<TimingFile> readTimingFile(const std::filesystem::path& dir)
{
    const FileBytes read = readRegularFile((dir / kTimingFileName).string(), [](uintmax_t size) -> std::optional<std::string> {
        if (size <= kLargestTimingFileBytes) return std::nullopt;
        return "has " + std::to_string(size) + " bytes, too many for a timing file (at most " +
               std::to_string(kLargestTimingFileBytes) + ")";
    });
    if (read.problem == "is missing") return std::nullopt;
    if (read.problem) return TimingFile{{}, {}, {*read.problem}};
    return parseTimingCsv(std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()));
}
