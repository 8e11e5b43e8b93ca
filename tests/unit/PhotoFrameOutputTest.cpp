// handleFrame: warm-up, the photo at index 20, the one-in-six stream parts read as the station
// reads them, also past the end of the 32-bit index, and what happens when encoding or standard
// output fails.
#include "FrameOutput.h"

#include "CaptureOutput.h"
#include "PhotoStream.h"

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

// The whole parts of the stream, each a 960x540 JPEG of quality 82 showing the frame's corners.
size_t partsIn(const std::string& bytes)
{
    const ParsedStream stream = parseStream(bytes);
    EXPECT_EQ(stream.fault, "");
    EXPECT_EQ(stream.trailing, "");
    for (const std::string& jpeg : stream.jpegs) {
        const cv::Mat image = decodeJpeg(jpeg);
        EXPECT_EQ(image.size(), cv::Size(960, 540));
        EXPECT_EQ(jpegQuality(jpeg), 82);
        EXPECT_LT(cv::norm(image.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 0, 255)), 40.0);
        EXPECT_LT(cv::norm(image.at<cv::Vec3b>(539, 959), cv::Vec3b(255, 255, 255)), 40.0);
    }
    return stream.jpegs.size();
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
    const std::string photo = readFileBytes(photoPath);
    EXPECT_EQ(decodeJpeg(photo).size(), odd.size());
    EXPECT_EQ(jpegQuality(photo), 95);
    EXPECT_EQ(messages.str(), "");

    photoPath = scratch / "missing-directory/shot.jpg";
    EXPECT_FALSE(call(frame, false, 20, outputWritten));
    EXPECT_FALSE(outputWritten);
    EXPECT_EQ(messages.str(), "Foto konnte nicht gespeichert werden.\n");
    EXPECT_EQ(streamOut.str(), "");
}

// An empty frame in its turn is skipped; the next turn is six frames on.
TEST_F(HandleFrame, StreamWritesOnePartPerSixthFrameFromIndex20)
{
    bool outputWritten = false;
    for (int32_t index = 20; index <= 38; ++index) {
        EXPECT_TRUE(call(index == 32 ? cv::Mat() : frame, true, index, outputWritten)) << index;
        EXPECT_EQ(partsIn(streamOut.str()), index < 26 ? 1u : index < 38 ? 2u : 3u) << index;
        EXPECT_TRUE(outputWritten);
    }
    EXPECT_FALSE(std::filesystem::exists(photoPath));
    EXPECT_EQ(messages.str(), "");
}

// 2^31 frames (over two years at 30 a second) use up the 32-bit index; the stream goes on, one part in six.
TEST_F(HandleFrame, AStreamThatOutlastsTheIndexKeepsOnePartInSix)
{
    bool outputWritten = false;
    std::vector<int> partAt;
    int32_t index = std::numeric_limits<int32_t>::max() - 11;
    for (int frameCount = 0; frameCount < 24; ++frameCount, index = nextFrameIndex(index)) {
        const size_t before = streamOut.str().size();
        EXPECT_TRUE(call(frame, true, index, outputWritten));
        if (streamOut.str().size() > before) partAt.push_back(frameCount);
    }
    EXPECT_EQ(partAt, (std::vector<int>{0, 6, 12, 18}));
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
