#include <gtest/gtest.h>

#include "AppDriver.h"

namespace {

class StandInRegistered : public ::testing::Environment {
public:
    void SetUp() override { RegisterStandIn(); }
};
const auto* const kRegistration = ::testing::AddGlobalTestEnvironment(new StandInRegistered);

const char kInstallHint[] =
    "JRA-VANのホームページより【JV-Link】を入手し、インストールしてください。";

// Removes the stand-in's registration for one test and puts it back afterwards.
class JVLinkMissing : public ::testing::Test {
protected:
    void SetUp() override { UnregisterStandIn(); }
    void TearDown() override { RegisterStandIn(); }
};

TEST_F(JVLinkMissing, ShowsOnlyTheInstallHintAndExitsWithZero) {
    TempFolder folder;
    AppProcess app(Environment{{L"JVLINK_STANDIN_LOG", AnsiToWide(folder.File("log.txt"))}});
    HWND dialog = app.WaitForDialog("情報");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(DialogMessage(dialog), kInstallHint);
    EXPECT_EQ(app.FindWindowOfClass("TMainForm"), nullptr);
    ClickButton(dialog, "OK");
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_TRUE(ReadLines(folder.File("log.txt")).empty());
}

TEST(Startup, ReleasesTheProbeBeforeHostingItsOwnInstance) {
    TempFolder folder;
    std::string log = folder.File("log.txt");
    {
        AppProcess app(Environment{{L"JVLINK_STANDIN_LOG", AnsiToWide(log)}});
        HWND main = app.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(app.WaitForExit(), 0u);
    }
    const std::vector<std::string> expected = {
        "create 1",
        "release 1",
        "create 2",
        "load 00 07 00 00 D8 13 00 00 D8 13 00 00",
        "JVInit JC260101/JC260102/CacheClean/Ver." JVCC_VERSION,
        "release 2",
    };
    EXPECT_EQ(ReadLines(log), expected);
    EXPECT_EQ(std::string("JC260101/JC260102/CacheClean/Ver." JVCC_VERSION).size(), 37u);
}

}  // namespace
