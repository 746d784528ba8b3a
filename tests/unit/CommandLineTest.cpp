#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/UnattendedOutput.h"

TEST(CommandLine, SwitchesAreReadWithoutRegardToCaseWithSlashOrDash) {
    const struct {
        std::vector<std::wstring> arguments;
        RunMode mode;
    } cases[] = {
        {{}, RunMode::Window},
        {{L"/delete"}, RunMode::Delete},
        {{L"-DELETE"}, RunMode::Delete},
        {{L"/Delete", L"-delete"}, RunMode::Delete},
        {{L"/?"}, RunMode::Usage},
        {{L"-?"}, RunMode::Usage},
        {{L"/delete", L"/?"}, RunMode::Usage},
        {{L"delete"}, RunMode::BadArgument},
        {{L"/"}, RunMode::BadArgument},
        {{L""}, RunMode::BadArgument},
        {{L"/deletex"}, RunMode::BadArgument},
        {{L"//delete"}, RunMode::BadArgument},
        {{L"/?", L"x"}, RunMode::BadArgument},
        {{L"/delete", L"C:\\JVData"}, RunMode::BadArgument},
        {{L"\uFF0Fdelete"}, RunMode::BadArgument},  // a full-width slash
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? std::wstring(L"(none)") : c.arguments.front());
        EXPECT_EQ(ModeOf(c.arguments), c.mode);
    }
}

TEST(UnattendedOutput, EveryLineEndsInCrLfTheLastToo) {
    const struct {
        const char* text;
        const char* lines;
    } cases[] = {
        {"", ""},
        {"one", "one\r\n"},
        {"one\r\ntwo", "one\r\ntwo\r\n"},
        {"one\ntwo\n", "one\r\ntwo\r\n"},
        {"one\rtwo\r\n", "one\r\ntwo\r\n"},
        {"one\r\n\r\ntwo", "one\r\n\r\ntwo\r\n"},
        {"\x83\x5c\x83\x74\x83\x67", "\x83\x5c\x83\x74\x83\x67\r\n"},  // trail bytes are no line ends
    };
    for (const auto& c : cases) EXPECT_EQ(AsOutputLines(c.text), c.lines) << c.text;
}
