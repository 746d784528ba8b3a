#include <gtest/gtest.h>

#include <windows.h>
#include <vector>
#include "forms/HomePage.h"

namespace {

TEST(HomePage, HandlerCommandLinesLoseTheirPlaceholderAndGetTheUrl) {
    const std::string url = "https://example.com/";
    const struct {
        const char* handler;
        const char* expected;
    } cases[] = {
        {"\"C:\\Browser\\b.exe\" \"%1\"", "\"C:\\Browser\\b.exe\" https://example.com/"},
        {"b.exe %1", "b.exe https://example.com/"},
        {"b.exe \"%1\" -new-tab", "b.exe -new-tab https://example.com/"},
        {"b.exe %1 -new-tab", "b.exe -new-tab https://example.com/"},
        {"b.exe -nohome", "b.exe -nohome https://example.com/"},
        {"b.exe -a \"%1\" \"%1\"", "b.exe -a \"%1\" https://example.com/"},  // the first one only
        {"b.exe,\"%1\"", "b.exe https://example.com/"},  // whatever stands before it goes
        {"\"%1\" -x", "\"%1\" -x https://example.com/"},  // starting the line: nothing is cut
        {"%1", "%1 https://example.com/"},
        {"", " https://example.com/"},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandLineForUrl(c.handler, url), c.expected) << c.handler;
}

// A scratch key of the current user's, removed afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    }
    static constexpr const char* kKey = "Software\\JVCacheCleanTests\\Registry";
    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ReadsTheDefaultValue) {
    const std::string value = "htmlfile";
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    std::string text = "unchanged";
    EXPECT_TRUE(ReadRegDefault(HKEY_CURRENT_USER, kKey, text));
    EXPECT_EQ(text, "htmlfile");
}

TEST_F(RegistryTest, AKeyWithoutADefaultValueReadsEmpty) {
    std::string text = "unchanged";
    EXPECT_TRUE(ReadRegDefault(HKEY_CURRENT_USER, kKey, text));
    EXPECT_EQ(text, "");
}

TEST_F(RegistryTest, AMissingKeyFailsAndLeavesTheText) {
    std::string text = "unchanged";
    EXPECT_FALSE(ReadRegDefault(HKEY_CURRENT_USER, "Software\\JVCacheCleanTests\\NoSuchKey", text));
    EXPECT_EQ(text, "unchanged");
}

TEST_F(RegistryTest, AValueLongerThanTheBufferIsNotTruncatedIntoAWrongCommand) {
    const std::string value(400, 'x');
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    std::string text = "unchanged";
    EXPECT_TRUE(ReadRegDefault(HKEY_CURRENT_USER, kKey, text));
    EXPECT_EQ(text, "");
}

// Takes the web and .htm associations away for one test, as on a machine without a
// browser, and puts them back.
class NoBrowser {
public:
    NoBrowser() {
        for (const char* key : kKeys) {
            std::string backup = std::string(kBackup) + "\\" + key;
            HKEY source;
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &source) != ERROR_SUCCESS) continue;
            HKEY target;
            RegCreateKeyExA(HKEY_CURRENT_USER, backup.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr);
            RegCopyTreeA(source, nullptr, target);
            RegCloseKey(target);
            RegCloseKey(source);
            saved_.push_back(key);
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
        }
    }
    ~NoBrowser() {
        for (const std::string& key : saved_) {
            std::string backup = std::string(kBackup) + "\\" + key;
            HKEY source, target;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, backup.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) continue;
            RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr);
            RegCopyTreeA(source, nullptr, target);
            RegCloseKey(target);
            RegCloseKey(source);
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, kBackup);
        RegDeleteKeyA(HKEY_CURRENT_USER, kBackup);
    }
    NoBrowser(const NoBrowser&) = delete;
    NoBrowser& operator=(const NoBrowser&) = delete;

private:
    static constexpr const char* kKeys[] = {".htm", "http", "https", "htmlfile"};
    static constexpr const char* kBackup = "Software\\JVCacheCleanTests\\Associations";
    std::vector<std::string> saved_;
};

// The opener's paths, with a test address: without the web and .htm associations, neither
// the shell nor the registered command can open it, and the opener says so.
TEST(HomePage, WithoutABrowserOpeningFails) {
    NoBrowser noBrowser;
    EXPECT_FALSE(OpenHomePage("https://example.com/jvcacheclean/", SW_HIDE));
}

}  // namespace
