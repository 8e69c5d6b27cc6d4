#include "app/command_options.h"

#include <gtest/gtest.h>

namespace pictorn::app::cli {
namespace {

ParseResult run(std::vector<std::string> args) {
    return parse(args);
}

TEST(CommandOptions, EmptyLineStartsAsUsual) {
    const ParseResult r = run({});
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.request.empty());
}

TEST(CommandOptions, FullRequestInAnyOrderAndCase) {
    const ParseResult r = run(
        {"/EXIT", "-save", "C:\\shots\\x.PNG", "/Capture", "Window", "/delay", "3", "/clipboard"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.request.capture, CaptureKind::ActiveWindow);
    EXPECT_EQ(r.request.delaySeconds, 3);
    EXPECT_EQ(r.request.savePath, "C:\\shots\\x.PNG");
    EXPECT_TRUE(r.request.clipboard);
    EXPECT_TRUE(r.request.exitAfter);
    EXPECT_FALSE(r.request.empty());

    EXPECT_EQ(run({"/capture", "full"}).request.capture, CaptureKind::FullScreen);
    EXPECT_EQ(run({"/capture", "rect"}).request.capture, CaptureKind::Rectangle);
    EXPECT_FALSE(run({"/capture", "full"}).request.delaySeconds);
    // A path with blanks arrives as one argument; a dot in a folder name is no extension.
    EXPECT_EQ(run({"/capture", "full", "/save", "D:\\my.pics\\shot one.jpeg"}).request.savePath,
              "D:\\my.pics\\shot one.jpeg");
}

TEST(CommandOptions, UsageOnlyAlone) {
    EXPECT_TRUE(run({"/?"}).request.showUsage);
    EXPECT_TRUE(run({"-h"}).request.showUsage);
    EXPECT_FALSE(run({"/?", "/capture", "full"}).ok());
}

// Every complaint names the argument at fault, and nothing is asked for.
TEST(CommandOptions, BadArgumentsAreNamed) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"/capture", "bogus"}, "bogus"},
        {{"/capture"}, "/capture"},
        {{"/capture", "full", "/capture", "rect"}, "twice"},
        {{"/capture", "full", "/delay"}, "/delay"},
        {{"/capture", "full", "/delay", "61"}, "61"},
        {{"/capture", "full", "/delay", "-1"}, "-1"},
        {{"/capture", "full", "/delay", "2s"}, "2s"},
        {{"/capture", "full", "/delay", "99999999999"}, "99999999999"},
        {{"/capture", "full", "/save"}, "/save"},
        {{"/capture", "full", "/save", "x.txt"}, "x.txt"},
        {{"/capture", "full", "/save", "C:\\a.png\\noext"}, "noext"},
        {{"/capture", "full", "/frobnicate"}, "/frobnicate"},
        {{"capture", "full"}, "capture"},
        {{"/"}, "\"/\""},
        {{"/exit"}, "/capture"},
        {{"/save", "x.png"}, "/capture"},
    };
    for (const auto& [args, named] : cases) {
        const ParseResult r = run(args);
        EXPECT_FALSE(r.ok()) << args.front();
        EXPECT_NE(r.error.find(named), std::string::npos) << r.error;
        const std::string message = errorMessage(r);
        EXPECT_EQ(message.rfind(r.error, 0), 0u);
        EXPECT_NE(message.find(usageText()), std::string::npos);
    }
}

// A later copy hands its request over as arguments; the running copy must read back the
// same request.
TEST(CommandOptions, ForwardedArgumentsGiveTheSameRequest) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"/capture", "rect"},
          {"/capture", "window", "/delay", "0", "/clipboard"},
          {"/exit", "/save", "C:\\a b\\-x.tif", "/capture", "full", "/delay", "60"}}) {
        const Request first = run(args).request;
        const ParseResult again = parse(toArguments(first));
        ASSERT_TRUE(again.ok()) << again.error;
        EXPECT_EQ(again.request.capture, first.capture);
        EXPECT_EQ(again.request.delaySeconds, first.delaySeconds);
        EXPECT_EQ(again.request.savePath, first.savePath);
        EXPECT_EQ(again.request.clipboard, first.clipboard);
        EXPECT_EQ(again.request.exitAfter, first.exitAfter);
    }
}

TEST(CommandOptions, DelayBounds) {
    EXPECT_EQ(run({"/capture", "full", "/delay", "0"}).request.delaySeconds, 0);
    EXPECT_EQ(run({"/capture", "full", "/delay", "60"}).request.delaySeconds, 60);
}

} // namespace
} // namespace pictorn::app::cli
