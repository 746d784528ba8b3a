#include <gtest/gtest.h>

#include <windows.h>
#include <set>
#include "base/AnsiPath.h"
#include "resource.h"

namespace {

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroup {
    WORD reserved, type, count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

// The title bar, the taskbar, Explorer's views and every DPI find an image drawn for them.
TEST(Icon, HoldsEverySizeWindowsAsksFor) {
    const std::string program = ExtractFileDir(ExecutablePath()) + "\\JVCacheClean.exe";
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << program;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDI_MAINICON), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const IconGroup*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(group, nullptr);
    std::set<int> sizes;
    for (WORD i = 0; i < group->count; ++i) {
        const IconGroupEntry& entry = group->entries[i];
        sizes.insert(entry.width ? entry.width : 256);
        EXPECT_EQ(entry.bitCount, 32) << "with alpha";
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    FreeLibrary(module);
}

}  // namespace
