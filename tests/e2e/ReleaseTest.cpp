#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <vector>
#include "AppDriver.h"

namespace {

// The build's own release zip (its path on the Unix side), unpacked once into a fresh
// folder outside the build tree, as a user would unpack it anywhere.
class Release : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char zip[1024];
        DWORD length = GetEnvironmentVariableA("JVCC_TEST_ZIP", zip, sizeof zip);
        ASSERT_TRUE(length > 0 && length < sizeof zip) << "JVCC_TEST_ZIP names no zip";
        unpacked_ = new TempFolder;
        ASSERT_TRUE(RunUnixShell("cd '" + UnixPath(unpacked_->Path()) + "' && unzip -q '" + zip + "'"));
    }
    static void TearDownTestSuite() {
        delete unpacked_;
        unpacked_ = nullptr;
    }
    // A file in the zip's one folder, JVCacheClean-<version>.
    static std::string InZip(const std::string& name) { return unpacked_->File(kFolder + "\\" + name); }
    static const std::string kFolder;
    static TempFolder* unpacked_;
};
const std::string Release::kFolder = "JVCacheClean-" JVCC_VERSION;
TempFolder* Release::unpacked_ = nullptr;

TEST_F(Release, TheUnpackedProgramRunsAndKeepsItsSettingsBesideItself) {
    std::map<std::string, std::string> files = Snapshot(unpacked_->Path());
    std::vector<std::string> names;
    for (const auto& file : files) names.push_back(file.first);
    EXPECT_EQ(names, (std::vector<std::string>{kFolder + "\\", kFolder + "\\JVCacheClean.exe", kFolder + "\\LICENSE.txt",
                                                kFolder + "\\Readme.txt", kFolder + "\\THIRD-PARTY-NOTICES.txt"}));
    for (const auto& file : files)
        EXPECT_EQ(file.second.find("example."), std::string::npos) << file.first << " names a placeholder address";

    // No DLL beside it, no resource missing: it starts, shows its window, and writes its
    // INI file beside itself when it closes.
    AppProcess app(Environment{}, "", InZip("JVCacheClean.exe"));
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), "キャッシュデータ削除ツール for JRA-VAN Data Lab.");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_TRUE(Exists(InZip("JVCacheClean.ini")));
}

TEST_F(Release, TheReadmeIsJapaneseInCodePage932WithCrLf) {
    std::ifstream file(InZip("Readme.txt"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    EXPECT_GT(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0),
              0)
        << "not valid code page 932";
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "a line ends without CR at byte " << i;
        }
    // Readme.txt is read by the same ANSI conversion the program uses, so the literals match.
    for (const char* phrase : {"<保存パス>\\Data", "<保存パス>\\Cache", "-402", "-403", "隠しファイル",
                               "システムファイル", "サブフォルダ", "Data と Cache の外", "表せない文字を含む名前",
                               "実際の場所", "VirtualStore", "削除できなかったファイル",
                               "制御文字", "半角で 240 文字", "JVCacheClean.ini", "Ver." JVCC_VERSION, "LICENSE.txt",
                               "JVCacheClean.exe /delete", "start /wait", "同じユーザー",
                               "C:\\Users\\（ユーザー名）\\AppData\\Local\\VirtualStore"})
        EXPECT_NE(text.find(phrase), std::string::npos) << phrase;
    // Before anything else: whom not to ask. Where Windows' own "Extract All" puts the program.
    const std::size_t notOfficial = text.find("JRA-VAN の公式のソフトではありません");
    EXPECT_LT(notOfficial, text.find("■ このソフトについて"));
    EXPECT_NE(text.find("JRA-VAN に問い合わせないでください"), std::string::npos);
    EXPECT_NE(text.find("フォルダの中にもう一つ同じ名前のフォルダ"), std::string::npos);
    EXPECT_NE(text.find("外側の「" + kFolder + "」フォルダ"), std::string::npos) << "removing it";
}

// Explorer's file version matches the version the program shows (Ver.1.03: 1.0.3.0, each
// digit after the point a number of its own); the product version is the version as shown.
TEST_F(Release, TheVersionResourceReadsAsTheVersionDoes) {
    const std::string program = InZip("JVCacheClean.exe");
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &unused);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const std::string version = JVCC_VERSION;
    const std::size_t point = version.find('.');
    ASSERT_EQ(version.size(), point + 3) << "two digits after the point";
    const DWORD high = static_cast<DWORD>(std::stoul(version.substr(0, point))) << 16 | (version[point + 1] - '0');
    const DWORD low = static_cast<DWORD>(version[point + 2] - '0') << 16;
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\041103A4\\ProductVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, JVCC_VERSION);
}

// dist/ holds the current release alone: its zip, the zip's hash and the commit it was
// built from. Older releases stay in the history.
TEST_F(Release, DistHoldsOnlyTheCurrentVersion) {
    char listed[4096];
    const DWORD length = GetEnvironmentVariableA("JVCC_TEST_DIST", listed, sizeof listed);
    ASSERT_LT(length, sizeof listed);
    std::set<std::string> names;
    std::string rest(listed, length);
    for (std::size_t comma; !rest.empty(); rest.erase(0, comma == std::string::npos ? rest.size() : comma + 1))
        names.insert(rest.substr(0, comma = rest.find(',')));
    const std::string zip = "JVCacheClean-" JVCC_VERSION ".zip";
    EXPECT_EQ(names, (std::set<std::string>{zip, zip + ".commit", zip + ".sha256"}));
}

TEST_F(Release, EveryTextFileHasCrLf) {
    for (const auto& file : Snapshot(unpacked_->Path())) {
        if (file.first.size() < 4 || file.first.compare(file.first.size() - 4, 4, ".txt") != 0) continue;
        const std::string& text = file.second;
        EXPECT_NE(text.find("\r\n"), std::string::npos) << file.first;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << file.first << ": a bare LF at byte " << i;
            }
    }
}

// The oldest Windows the program runs on is stated alike in its PE header and its manifest,
// which declares every version from it to Windows 10 and 11.
TEST_F(Release, TheProgramStatesTheWindowsItRunsOn) {
    const std::string program = InZip("JVCacheClean.exe");
    std::ifstream file(program, std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(image.size(), 0x200u);
    auto word = [&image](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(image[at]) | static_cast<unsigned char>(image[at + 1]) << 8);
    };
    const std::size_t pe = word(0x3C) | word(0x3E) << 16;
    ASSERT_EQ(image.compare(pe, 4, std::string("PE\0\0", 4)), 0);
    const std::size_t optional = pe + 4 + 20;  // the same offsets in PE32 and PE32+
    EXPECT_EQ(word(optional + 40), JVCC_MIN_WINDOWS_MAJOR) << "operating system version";
    EXPECT_EQ(word(optional + 42), JVCC_MIN_WINDOWS_MINOR);
    EXPECT_EQ(word(optional + 48), JVCC_MIN_WINDOWS_MAJOR) << "subsystem version";
    EXPECT_EQ(word(optional + 50), JVCC_MIN_WINDOWS_MINOR);

    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    FreeLibrary(module);
    const struct {
        unsigned version;
        const char* id;
    } systems[] = {
        {0x0600, "{e2011457-1546-43c5-a5fe-008deee3d3f0}"},  // Vista
        {0x0601, "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},  // 7
        {0x0602, "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},  // 8
        {0x0603, "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},  // 8.1
        {0x0A00, "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},  // 10 and 11
    };
    const unsigned minimum = JVCC_MIN_WINDOWS_MAJOR << 8 | JVCC_MIN_WINDOWS_MINOR;
    for (const auto& system : systems)
        EXPECT_EQ(manifest.find(system.id) != std::string::npos, system.version >= minimum) << system.id;
}

// Every runtime archive and start-up object the linker put into the program, by its map, is
// named in the notices. Import libraries need none: their members are only the stubs that
// dlltool makes (lib<name>h.o, lib<name>t.o, lib<name>s<number>.o). Our own objects and
// resources are the build's .obj and .res files.
TEST_F(Release, TheNoticesNameEveryRuntimeLibraryLinkedIn) {
    const std::map<std::string, std::string> files = Snapshot(unpacked_->Path());
    const auto notices = files.find(kFolder + "\\THIRD-PARTY-NOTICES.txt");
    ASSERT_NE(notices, files.end());
    char map[1024];
    DWORD length = GetEnvironmentVariableA("JVCC_TEST_LINK_MAP", map, sizeof map);
    ASSERT_TRUE(length > 0 && length < sizeof map) << "JVCC_TEST_LINK_MAP names no map";
    std::ifstream file(std::string("Z:") + map);  // Wine's Z: is the Unix root
    ASSERT_TRUE(file.is_open()) << map;

    const std::regex importStub(R"(lib\w+(h|t|s\d+)\.o)"), ours(R"(.*\.(obj|res))");
    std::set<std::string> linked;
    bool includedMembers = false;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("Archive member included", 0) == 0) {
            includedMembers = true;
        } else if (includedMembers && !line.empty() && line[0] != ' ') {
            const std::size_t open = line.find('('), close = line.find(')', open);
            if (open == std::string::npos || close == std::string::npos) {
                includedMembers = false;  // the next section
                continue;
            }
            const std::string archive = line.substr(line.rfind('/', open) + 1, open - line.rfind('/', open) - 1);
            const std::string member = line.substr(open + 1, close - open - 1);
            if (!std::regex_match(member, importStub) && !std::regex_match(member, ours)) linked.insert(archive);
        } else if (line.rfind("LOAD ", 0) == 0 && line.size() > 2 && line.compare(line.size() - 2, 2, ".o") == 0) {
            linked.insert(line.substr(line.rfind('/') + 1));
        }
    }
    EXPECT_GE(linked.size(), 5u) << "the map lists too little to be the program's";
    const std::string& text = notices->second;
    for (const std::string& name : linked)
        EXPECT_NE(text.find(name), std::string::npos) << name << " is linked in but not in the notices";

    // Each section carries its licence's own terms, names only archives that are linked in,
    // and no source file but the one header whose notice it carries.
    const struct {
        const char* heading;
        std::vector<const char*> terms;
    } sections[] = {
        {"1. MinGW-w64 runtime", {"Redistribution and use in source and binary forms"}},
        {"2. gdtoa", {"Permission to use, copy, modify, and distribute this software"}},
        {"3. winpthreads",
         {"Permission is hereby granted, free of charge", "Lockless Inc.",
          "Redistribution and use in source and binary forms"}},
        {"4. GCC runtime libraries", {"GCC RUNTIME LIBRARY EXCEPTION"}},
    };
    for (std::size_t i = 0; i < std::size(sections); ++i) {
        const std::size_t start = text.find(sections[i].heading);
        ASSERT_NE(start, std::string::npos) << sections[i].heading;
        const std::size_t end = i + 1 < std::size(sections) ? text.find(sections[i + 1].heading) : text.size();
        const std::string section = text.substr(start, end - start);
        for (const char* term : sections[i].terms)
            EXPECT_NE(section.find(term), std::string::npos) << sections[i].heading << " lacks " << term;
        const std::string archives = section.substr(section.find('('), section.find(')') - section.find('(') + 1);
        const std::regex archive(R"([\w+-]+\.(a|o))");
        for (std::sregex_iterator at(archives.begin(), archives.end(), archive), none; at != none; ++at)
            EXPECT_EQ(linked.count(at->str()), 1u) << sections[i].heading << " names " << at->str() << ", not linked in";
    }
    const std::regex sourceFile(R"([\w-]+\.(h|idl)\b)");
    for (std::sregex_iterator at(text.begin(), text.end(), sourceFile), none; at != none; ++at)
        EXPECT_EQ(at->str(), "pthread.h") << "the notices name a file that is not linked in";
}

}  // namespace
