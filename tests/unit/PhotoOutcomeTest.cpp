// The command line of kestrum-photo and the rule that turns a finished frame loop into the path
// line or a message and the exit code, where the program's runs do not show them.
#include "PhotoOptions.h"
#include "PhotoOutcome.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(PhotoArguments, OnlyTheExactStreamFlagStreams)
{
    const char* stream[] = {"kestrum-photo", "--stream"};
    const auto streamOptions = parsePhotoArguments(2, stream);
    ASSERT_TRUE(streamOptions);
    EXPECT_TRUE(streamOptions->stream);

    for (const char* fileName : {"--STREAM", "--stream ", "shot.jpg", "../a b/shot.jpg"}) {
        const char* photo[] = {"kestrum-photo", fileName};
        const auto options = parsePhotoArguments(2, photo);
        ASSERT_TRUE(options) << fileName;
        EXPECT_FALSE(options->stream) << fileName;
        EXPECT_EQ(options->outputPath, fileName);
    }
}

TEST(PhotoOutcome, EachCaseGivesItsLineAndCode)
{
    struct Case {
        bool stream;
        bool outputWritten;
        bool stopRequested;
        std::string out;
        std::string messages;
        int code;
    };
    const Case cases[] = {
        {false, false, true, "", "Foto konnte nicht gespeichert werden.\n", 6},  // a photo run ignores stop requests
        {true, true, false, "", "", 0},
        {true, false, false, "", "Livebild konnte nicht erzeugt werden.\n", 6},
    };
    for (const Case& c : cases) {
        PhotoOptions options;
        options.stream = c.stream;
        options.outputPath = c.stream ? "--stream" : "photos/shot.jpg";
        std::ostringstream out;
        std::ostringstream messages;

        EXPECT_EQ(reportOutcome(options, c.outputWritten, c.stopRequested, out, messages), c.code);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(messages.str(), c.messages);
    }
}
