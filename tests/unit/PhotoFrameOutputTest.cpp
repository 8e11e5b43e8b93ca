// handleFrame: warm-up, the photo at index 20, the one-in-six stream parts and
// their exact bytes, and what happens when encoding or standard output fails.
#include "FrameOutput.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <limits>
#include <sstream>

namespace {

// A smooth colour gradient, so that scaling and encoding have real work to do.
cv::Mat gradientFrame(int width, int height)
{
    const cv::Mat corners = (cv::Mat_<cv::Vec3b>(2, 2) << cv::Vec3b(0, 0, 255), cv::Vec3b(0, 255, 0),
                             cv::Vec3b(255, 0, 0), cv::Vec3b(255, 255, 255));
    cv::Mat frame;
    cv::resize(corners, frame, cv::Size(width, height), 0, 0, cv::INTER_LINEAR);
    return frame;
}

std::string jpegBytes(const cv::Mat& image, int quality)
{
    std::vector<uchar> jpeg;
    cv::imencode(".jpg", image, jpeg, {cv::IMWRITE_JPEG_QUALITY, quality});
    return std::string(jpeg.begin(), jpeg.end());
}

// The part that a frame must become: 960x540, area scaling, quality 82.
std::string expectedPart(const cv::Mat& frame)
{
    cv::Mat scaled;
    cv::resize(frame, scaled, cv::Size(960, 540), 0, 0, cv::INTER_AREA);
    const std::string jpeg = jpegBytes(scaled, 82);
    return "--kestrumframe\r\nContent-Type: image/jpeg\r\nContent-Length: " + std::to_string(jpeg.size()) +
           "\r\n\r\n" + jpeg + "\r\n";
}

// Takes the first `capacity` bytes and then refuses, as a pipe whose reader has gone.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(size_t capacity) : capacity_(capacity) {}

protected:
    int_type overflow(int_type ch) override
    {
        if (ch == traits_type::eof() || capacity_ == 0) return traits_type::eof();
        --capacity_;
        return ch;
    }

private:
    size_t capacity_;
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
    const cv::Mat frame = gradientFrame(1280, 720);
};

} // namespace

// Frames 0 to 19 warm up, whatever has been written, and an empty frame is never written.
TEST_F(HandleFrame, PhotoIsFrame20AtFullSizeWithQuality95OrSaysItCouldNot)
{
    for (bool stream : {false, true}) {
        for (bool initial : {false, true}) {
            for (int32_t index = 0; index < 20; ++index) {
                bool outputWritten = initial;
                EXPECT_TRUE(call(frame, stream, index, outputWritten)) << index;
                EXPECT_EQ(outputWritten, initial) << index;
            }
            bool outputWritten = initial;
            EXPECT_TRUE(call(cv::Mat(), stream, 20, outputWritten));
            EXPECT_EQ(outputWritten, initial);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(photoPath));
    EXPECT_EQ(streamOut.str(), "");

    const cv::Mat odd = gradientFrame(1000, 700);
    bool outputWritten = false;
    EXPECT_FALSE(call(odd, false, 20, outputWritten));
    EXPECT_TRUE(outputWritten);
    EXPECT_EQ(readFileBytes(photoPath), jpegBytes(odd, 95));
    EXPECT_EQ(messages.str(), "");

    photoPath = scratch / "missing-directory/shot.jpg";
    EXPECT_FALSE(call(frame, false, 20, outputWritten));
    EXPECT_FALSE(outputWritten);
    EXPECT_EQ(messages.str(), "Foto konnte nicht gespeichert werden.\n");
    EXPECT_EQ(streamOut.str(), "");
}

// The photo program's runs decode 960x540 parts from 1280x720 and 1920x1080 sources.
TEST_F(HandleFrame, StreamWritesOneExactPartPerSixthFrameFromIndex20)
{
    bool outputWritten = false;
    EXPECT_TRUE(call(frame, true, 20, outputWritten));
    EXPECT_TRUE(outputWritten);
    const std::string part = expectedPart(frame);
    EXPECT_EQ(streamOut.str(), part);

    for (int32_t index = 21; index <= 25; ++index) {
        EXPECT_TRUE(call(frame, true, index, outputWritten)) << index;
    }
    EXPECT_EQ(streamOut.str(), part);
    EXPECT_TRUE(call(frame, true, 26, outputWritten));
    EXPECT_EQ(streamOut.str(), part + part);

    // An empty frame in its turn is skipped; the next turn is six frames on.
    EXPECT_TRUE(call(cv::Mat(), true, 32, outputWritten));
    for (int32_t index = 33; index <= 37; ++index) {
        EXPECT_TRUE(call(frame, true, index, outputWritten)) << index;
    }
    EXPECT_EQ(streamOut.str(), part + part);
    EXPECT_TRUE(call(frame, true, 38, outputWritten));
    EXPECT_EQ(streamOut.str(), part + part + part);
    EXPECT_FALSE(std::filesystem::exists(photoPath));
    EXPECT_EQ(messages.str(), "");
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
        EXPECT_FALSE(handleFrame(frame, true, 26, photoPath, outputWritten, FrameOutput{streamOut, messages, refuse}));
        EXPECT_EQ(outputWritten, initial);
        EXPECT_EQ(messages.str(), "Livebild konnte nicht codiert werden.\n");
    }
    EXPECT_EQ(streamOut.str(), "");
}

TEST_F(HandleFrame, FailedStandardOutputStopsTheStreamAndKeepsOutputWritten)
{
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

TEST(FrameIndex, CountsUpAndKeepsTheStreamRhythmInsteadOfOverflowing)
{
    EXPECT_EQ(nextFrameIndex(25), 26);
    constexpr int32_t last = std::numeric_limits<int32_t>::max();
    const int32_t wrapped = nextFrameIndex(last);
    EXPECT_GE(wrapped, 20);
    EXPECT_LT(wrapped, 26);
    EXPECT_EQ((wrapped - 20) % 6, (static_cast<int64_t>(last) + 1 - 20) % 6);
}
