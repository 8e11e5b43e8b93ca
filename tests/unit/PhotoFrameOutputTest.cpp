// handleFrame: warm-up, the photo at index 20, the one-in-six stream parts and
// their exact bytes, and what happens when encoding or standard output fails.
#include "FrameOutput.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include <filesystem>
#include <limits>
#include <sstream>

namespace {

// A frame whose pixels follow from their position, so that scaling has something to average.
cv::Mat patternFrame(int width, int height)
{
    cv::Mat frame(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            frame.at<cv::Vec3b>(y, x) = cv::Vec3b(static_cast<uchar>(x), static_cast<uchar>(y),
                                                  static_cast<uchar>(x + y));
        }
    }
    return frame;
}

// Every quantisation table segment of a JPEG: they follow from the quality setting alone.
std::string quantisationTables(const std::string& jpeg)
{
    std::string tables;
    for (size_t at = 2; at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF;) {
        const unsigned char marker = static_cast<unsigned char>(jpeg[at + 1]);
        const size_t length =
            static_cast<unsigned char>(jpeg[at + 2]) * 256u + static_cast<unsigned char>(jpeg[at + 3]);
        if (marker == 0xDB) {
            tables += jpeg.substr(at, length + 2);
        }
        if (marker == 0xDA) {
            break;  // entropy-coded data follows
        }
        at += length + 2;
    }
    return tables;
}

std::string tablesOfQuality(int quality)
{
    std::vector<uchar> reference;
    cv::imencode(".jpg", cv::Mat(8, 8, CV_8UC3, cv::Scalar::all(0)), reference, {cv::IMWRITE_JPEG_QUALITY, quality});
    return quantisationTables(std::string(reference.begin(), reference.end()));
}

cv::Mat decode(const std::string& jpeg)
{
    return cv::imdecode(std::vector<uchar>(jpeg.begin(), jpeg.end()), cv::IMREAD_COLOR);
}

struct Part {
    std::string header;
    std::string jpeg;
    std::string end;
};

// Splits one part at the declared length; fails the test when its form is off.
Part parseSinglePart(const std::string& bytes)
{
    Part part;
    const std::string prefix = "--kestrumframe\r\nContent-Type: image/jpeg\r\nContent-Length: ";
    EXPECT_EQ(bytes.compare(0, prefix.size(), prefix), 0) << bytes.substr(0, 80);
    const size_t headerEnd = bytes.find("\r\n\r\n");
    if (headerEnd == std::string::npos) {
        ADD_FAILURE() << "no header end";
        return part;
    }
    part.header = bytes.substr(0, headerEnd + 4);
    const std::string digits = bytes.substr(prefix.size(), headerEnd - prefix.size());
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << digits;
    EXPECT_NE(digits.front(), '0') << digits;
    const size_t length = std::stoul(digits);
    part.jpeg = bytes.substr(headerEnd + 4, length);
    part.end = bytes.substr(headerEnd + 4 + length);
    return part;
}

// A stream buffer that takes the first `capacity` bytes and then refuses.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(size_t capacity) : capacity_(capacity) {}

protected:
    int_type overflow(int_type ch) override
    {
        if (ch == traits_type::eof() || taken_ == capacity_) {
            return traits_type::eof();
        }
        ++taken_;
        return ch;
    }

private:
    size_t capacity_;
    size_t taken_ = 0;
};

class HandleFrame : public ::testing::Test {
protected:
    bool call(const cv::Mat& image, bool stream, int32_t index, bool& outputWritten)
    {
        return handleFrame(image, stream, index, photoPath, outputWritten, FrameOutput{streamOut, messages});
    }

    ScratchDir scratch;
    std::string photoPath = scratch / "shot.jpg";
    std::ostringstream streamOut;
    std::ostringstream messages;
};

} // namespace

TEST_F(HandleFrame, WarmUpFramesWriteNothingInEitherMode)
{
    const cv::Mat frame = patternFrame(1280, 720);
    for (bool stream : {false, true}) {
        for (bool initial : {false, true}) {
            for (int32_t index = 0; index < 20; ++index) {
                bool outputWritten = initial;
                EXPECT_TRUE(call(frame, stream, index, outputWritten)) << index;
                EXPECT_EQ(outputWritten, initial) << index;
            }
        }
    }
    EXPECT_FALSE(std::filesystem::exists(photoPath));
    EXPECT_EQ(streamOut.str(), "");
    EXPECT_EQ(messages.str(), "");
}

TEST_F(HandleFrame, PhotoAtIndex20IsWrittenAtFullSizeWithQuality95)
{
    const cv::Mat frame = patternFrame(1000, 700);
    bool outputWritten = false;

    EXPECT_FALSE(call(frame, false, 20, outputWritten));

    EXPECT_TRUE(outputWritten);
    const std::string file = readFileBytes(photoPath);
    ASSERT_FALSE(file.empty());
    const cv::Mat decoded = decode(file);
    EXPECT_EQ(decoded.cols, 1000);
    EXPECT_EQ(decoded.rows, 700);
    EXPECT_EQ(quantisationTables(file), tablesOfQuality(95));
    EXPECT_EQ(streamOut.str(), "");
    EXPECT_EQ(messages.str(), "");
}

TEST_F(HandleFrame, PhotoThatCannotBeWrittenSaysSoOnceAndClearsOutputWritten)
{
    photoPath = scratch / "missing-directory/shot.jpg";
    bool outputWritten = true;

    EXPECT_FALSE(call(patternFrame(1280, 720), false, 20, outputWritten));

    EXPECT_FALSE(outputWritten);
    EXPECT_EQ(messages.str(), "Foto konnte nicht gespeichert werden.\n");
    EXPECT_EQ(streamOut.str(), "");
}

TEST_F(HandleFrame, EmptyPhotoFrameWritesNothing)
{
    bool outputWritten = false;
    EXPECT_TRUE(call(cv::Mat(), false, 20, outputWritten));
    EXPECT_FALSE(outputWritten);
    EXPECT_FALSE(std::filesystem::exists(photoPath));
    EXPECT_EQ(messages.str(), "");
}

TEST_F(HandleFrame, StreamWritesOnePartPerSixthFrameFromIndex20)
{
    const cv::Mat frame = patternFrame(1280, 720);
    bool outputWritten = false;

    EXPECT_TRUE(call(frame, true, 20, outputWritten));
    EXPECT_TRUE(outputWritten);
    const std::string first = streamOut.str();
    ASSERT_FALSE(first.empty());
    for (int32_t index = 21; index <= 25; ++index) {
        EXPECT_TRUE(call(frame, true, index, outputWritten)) << index;
        EXPECT_EQ(streamOut.str().size(), first.size()) << index;
    }
    EXPECT_TRUE(call(frame, true, 26, outputWritten));
    EXPECT_EQ(streamOut.str(), first + first);  // same frame, same bytes
    EXPECT_FALSE(std::filesystem::exists(photoPath));
    EXPECT_EQ(messages.str(), "");
}

TEST_F(HandleFrame, PartBytesAreExactAndCarry960x540WhateverTheSourceSize)
{
    for (const cv::Size size : {cv::Size(1280, 720), cv::Size(1920, 1080), cv::Size(640, 480)}) {
        streamOut.str("");
        bool outputWritten = false;
        ASSERT_TRUE(call(patternFrame(size.width, size.height), true, 20, outputWritten));

        const Part part = parseSinglePart(streamOut.str());
        EXPECT_EQ(part.header, "--kestrumframe\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                                   std::to_string(part.jpeg.size()) + "\r\n\r\n");
        EXPECT_EQ(part.end, "\r\n") << size;
        EXPECT_EQ(part.jpeg.substr(0, 2), "\xFF\xD8") << size;
        EXPECT_EQ(part.jpeg.substr(part.jpeg.size() - 2), "\xFF\xD9") << size;
        EXPECT_EQ(quantisationTables(part.jpeg), tablesOfQuality(82)) << size;
        const cv::Mat decoded = decode(part.jpeg);
        EXPECT_EQ(decoded.cols, 960) << size;
        EXPECT_EQ(decoded.rows, 540) << size;
    }
}

TEST_F(HandleFrame, EmptyStreamFrameIsSkippedAndTheNextPartWaitsForItsTurn)
{
    const cv::Mat frame = patternFrame(1280, 720);
    bool outputWritten = false;
    ASSERT_TRUE(call(frame, true, 20, outputWritten));
    const size_t afterFirst = streamOut.str().size();

    EXPECT_TRUE(call(cv::Mat(), true, 26, outputWritten));
    for (int32_t index = 27; index <= 31; ++index) {
        EXPECT_TRUE(call(frame, true, index, outputWritten)) << index;
    }
    EXPECT_EQ(streamOut.str().size(), afterFirst);
    EXPECT_TRUE(call(frame, true, 32, outputWritten));
    EXPECT_EQ(streamOut.str().size(), 2 * afterFirst);
}

TEST_F(HandleFrame, EncodingFailureWritesNoPartAndStopsTheStream)
{
    const auto refuse = [](const cv::Mat&, std::vector<unsigned char>& jpeg) {
        jpeg.assign(10, 0xFF);  // whatever the encoder left behind must not be sent
        return false;
    };
    for (bool initial : {false, true}) {
        messages.str("");
        bool outputWritten = initial;
        EXPECT_FALSE(handleFrame(patternFrame(1280, 720), true, 26, photoPath, outputWritten,
                                 FrameOutput{streamOut, messages, refuse}));
        EXPECT_EQ(outputWritten, initial);
        EXPECT_EQ(messages.str(), "Livebild konnte nicht codiert werden.\n");
    }
    EXPECT_EQ(streamOut.str(), "");
}

TEST_F(HandleFrame, FailedStandardOutputStopsTheStreamAndKeepsOutputWritten)
{
    const cv::Mat frame = patternFrame(1280, 720);
    for (bool initial : {false, true}) {
        FailingBuffer buffer(100);  // fails inside the part's JPEG bytes
        std::ostream failing(&buffer);
        bool outputWritten = initial;
        EXPECT_FALSE(handleFrame(frame, true, 20, photoPath, outputWritten, FrameOutput{failing, messages}));
        EXPECT_EQ(outputWritten, initial);

        std::ostream alreadyFailed(nullptr);
        EXPECT_FALSE(handleFrame(frame, true, 26, photoPath, outputWritten, FrameOutput{alreadyFailed, messages}));
        EXPECT_EQ(outputWritten, initial);
    }
    EXPECT_EQ(messages.str(), "");
}

TEST_F(HandleFrame, ImageLibraryErrorsPassToTheCaller)
{
    bool outputWritten = false;
    photoPath = scratch / "shot.unknown-extension";
    EXPECT_THROW(call(patternFrame(64, 48), false, 20, outputWritten), cv::Exception);

    cv::Mat twoChannels(720, 1280, CV_8UC2, cv::Scalar(1, 2));  // no JPEG has two channels
    EXPECT_THROW(call(twoChannels, true, 20, outputWritten), cv::Exception);
    EXPECT_FALSE(outputWritten);
    EXPECT_EQ(streamOut.str(), "");
}

TEST(FrameIndex, CountsUpAndKeepsTheStreamRhythmInsteadOfOverflowing)
{
    EXPECT_EQ(nextFrameIndex(0), 1);
    EXPECT_EQ(nextFrameIndex(25), 26);
    constexpr int32_t last = std::numeric_limits<int32_t>::max();
    const int32_t wrapped = nextFrameIndex(last);
    EXPECT_GE(wrapped, 20);
    EXPECT_LT(wrapped, 26);
    const int64_t unwrapped = static_cast<int64_t>(last) + 1;
    EXPECT_EQ((wrapped - 20) % 6, (unwrapped - 20) % 6);
}
