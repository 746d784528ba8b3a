#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>
#include "AppDriver.h"
#include "base/Image.h"
#include "forms/Unit6Definition.h"
#include "resource.h"

namespace {

const char kAboutCaption[] = "ﾊﾞｰｼﾞｮﾝ情報";

// 32-bit pixels of a width x height area.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> data;
    DWORD At(int x, int y) const { return data[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

HBITMAP MakeDib(HDC dc, int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// While it lives, this thread sees every window in that window's own pixels. A process
// reads its DPI when it starts, so the program started at 192 while this one stayed at 96;
// a DPI-unaware caller is given another DPI's windows scaled to its own (Wine 10 does this,
// Wine 8 does not). Windows has one system DPI for all processes.
class PhysicalPixels {
public:
    PhysicalPixels() {
        using SetContext = HANDLE(WINAPI*)(HANDLE);
        set_ = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, which the Windows 7 headers do not name.
        if (set_) previous_ = set_(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3)));
    }
    ~PhysicalPixels() {
        if (set_ && previous_) set_(previous_);
    }
    PhysicalPixels(const PhysicalPixels&) = delete;
    PhysicalPixels& operator=(const PhysicalPixels&) = delete;

private:
    HANDLE(WINAPI* set_)(HANDLE) = nullptr;
    HANDLE previous_ = nullptr;
};

Pixels Copy(const void* bits, int width, int height) {
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    const DWORD* first = static_cast<const DWORD*>(bits);
    pixels.data.assign(first, first + static_cast<size_t>(width) * height);
    return pixels;
}

// What the screen shows of a window's client area.
Pixels Capture(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = MakeDib(screen, client.right, client.bottom, &bits);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    Pixels pixels = Copy(bits, client.right, client.bottom);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The picture with the version label as the dialog should draw it, rendered here with
// the program's own artwork and label; also returns where the label lies.
Pixels ExpectedPanel(const std::string& version, int width, int height, RECT& labelBounds) {
    const TAboutBoxDefinition& form = kAboutBoxDefinition;
    HMODULE program = LoadLibraryExA((BinaryFolder() + "\\JVCacheClean.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
    TImage image("Image1");
    image.SetBounds(form.image1.left, form.image1.top, form.image1.width, form.image1.height);
    image.SetBitmap(static_cast<HBITMAP>(
        LoadImageA(program, MAKEINTRESOURCEA(IDB_ABOUTARTWORK), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    TLabel3Dj credit("Label3D2"), label("Label3D1");
    ApplyLabelDefinition(credit, form.label3D2);
    ApplyLabelDefinition(label, form.label3D1);
    label.SetCaption(version);
    labelBounds = label.BoundsRect();

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = MakeDib(screen, width, height, &bits);
    HGDIOBJ old = SelectObject(memory, dib);
    for (TGraphicControl* control : std::vector<TGraphicControl*>{&image, &credit, &label}) {
        SetViewportOrgEx(memory, control->Left(), control->Top(), nullptr);
        control->PaintTo(memory);
    }
    GdiFlush();
    Pixels pixels = Copy(bits, width, height);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (program) FreeLibrary(program);
    return pixels;
}

// Share of the label's pixels that equal the expected ones.
double Match(const Pixels& shown, const Pixels& expected, const RECT& area) {
    int same = 0, all = 0;
    for (int y = area.top; y < area.bottom && y < shown.height; ++y)
        for (int x = area.left; x < area.right && x < shown.width; ++x, ++all) same += shown.At(x, y) == expected.At(x, y);
    return all ? static_cast<double>(same) / all : 0.0;
}

// Gives a registry value a DWORD for as long as it lives, then puts back what was there
// before, or nothing, also when the test fails on the way.
class RegistryValueFor {
public:
    RegistryValueFor(HKEY root, const char* key, const char* name, DWORD value) : name_(name) {
        if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS)
            throw std::runtime_error(std::string("cannot open ") + key);
        DWORD size = 0;
        existed_ = RegQueryValueExA(key_, name, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
        previous_.resize(size);
        if (existed_) RegQueryValueExA(key_, name, nullptr, &type_, previous_.data(), &size);
        RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    ~RegistryValueFor() {
        if (existed_)
            RegSetValueExA(key_, name_.c_str(), 0, type_, previous_.data(), static_cast<DWORD>(previous_.size()));
        else
            RegDeleteValueA(key_, name_.c_str());
        RegCloseKey(key_);
    }
    RegistryValueFor(const RegistryValueFor&) = delete;
    RegistryValueFor& operator=(const RegistryValueFor&) = delete;

private:
    HKEY key_ = nullptr;
    std::string name_;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> previous_;
};

class AboutDialog : public ::testing::Test {
protected:
    void SetUp() override {
        app_.reset(new AppProcess(Environment{}));
        main_ = app_->WaitForMainWindow();
        ASSERT_NE(main_, nullptr);
    }
    void TearDown() override {
        if (!main_) return;
        PostMessageA(main_, WM_CLOSE, 0, 0);
        EXPECT_EQ(app_->WaitForExit(), 0u);
    }
    HWND Open() {
        app_->ChooseMenu(main_, 'h', 'a');
        return app_->WaitForDialog(kAboutCaption);
    }
    // Reads the version the dialog draws, by comparing its pixels with both texts.
    void ExpectVersionShown(HWND dialog, const std::string& version) {
        HWND panel = nullptr;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (ClassName(child) == "TPanel") panel = child;
        ASSERT_NE(panel, nullptr);
        RECT client;
        GetClientRect(panel, &client);
        RECT label, other;
        const Pixels expected = ExpectedPanel(version, client.right, client.bottom, label);
        const Pixels wrong = ExpectedPanel("Version " JVCC_VERSION, client.right, client.bottom, other);
        UnionRect(&label, &label, &other);
        // Until it has painted, the screen shows whatever was there before.
        Pixels shown;
        EXPECT_TRUE(Eventually([&] { return Match(shown = Capture(panel), expected, label) > 0.99; }))
            << "the label does not read " << version;
        EXPECT_LT(Match(shown, wrong, label), 0.97);
    }
    void PressEnter(HWND dialog) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        PostMessageA(info.hwndFocus ? info.hwndFocus : dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    }

    std::unique_ptr<AppProcess> app_;
    HWND main_ = nullptr;
};

TEST_F(AboutDialog, OpensAFreshDialogEachTimeWithTheVersion) {
    for (bool byEnter : {true, false}) {
        SCOPED_TRACE(byEnter ? "closed with Enter" : "closed with OK");
        // First at the default position, where centring alone would push the dialog's title
        // bar above the screen; then where it centres freely.
        if (!byEnter) SetWindowPos(main_, nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        HWND dialog = Open();
        ASSERT_NE(dialog, nullptr);
        RECT client, bounds, owner;
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 324);
        EXPECT_EQ(client.bottom, 258);
        GetWindowRect(dialog, &bounds);
        GetWindowRect(main_, &owner);
        EXPECT_NEAR((bounds.left + bounds.right) / 2, (owner.left + owner.right) / 2, 1);
        if (byEnter) EXPECT_EQ(bounds.top, 0) << "kept inside the screen";
        else EXPECT_NEAR((bounds.top + bounds.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
        EXPECT_NE(FindChildWithText(dialog, "ホームページ"), nullptr);
        EXPECT_NE(FindChildWithText(dialog, "OK"), nullptr);
        ExpectVersionShown(dialog, "Ver." JVCC_VERSION);
        if (byEnter) PressEnter(dialog);
        else ClickButton(dialog, "OK");
        ASSERT_TRUE(WaitUntilGone(dialog));
    }
}

// A build without a home page (the default) shows the button disabled, and nothing happens
// when it is pressed all the same.
TEST_F(AboutDialog, WithoutAnAddressTheHomePageButtonIsDisabled) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND button = FindChildWithText(dialog, "ホームページ");
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(IsWindowEnabled(button));
    PostMessageA(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(app_->WaitUntilHandled());
    EXPECT_EQ(app_->FindWindowOfClass("#32770", "JVCacheClean", false), nullptr) << "a message followed";
    ClickButton(dialog, "OK");
    ASSERT_TRUE(WaitUntilGone(dialog));
}

// As in a standard dialog the focused push button is the default: OK loses its dark frame
// while the home page button has the focus, and gets it back with the focus.
TEST_F(AboutDialog, TheDefaultFrameFollowsTheFocus) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND ok = FindChildWithText(dialog, "OK");
    ASSERT_NE(ok, nullptr);
    // As a build with a home page has it.
    EnableWindow(FindChildWithText(dialog, "ホームページ"), TRUE);
    // Until it has painted, the screen shows the frame as it was.
    auto showsFrame = [ok](bool framed) { return Eventually([&] { return (Capture(ok).At(0, 0) == 0u) == framed; }); };
    EXPECT_TRUE(showsFrame(true)) << "OK is the default at first";
    for (bool backToOk : {false, true}) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        PostMessageA(info.hwndFocus, WM_KEYDOWN, VK_TAB, 0x000F0001);
        EXPECT_TRUE(showsFrame(backToOk)) << (backToOk ? "the default did not come back to OK"
                                                       : "OK kept the default frame while the home page button had the focus");
    }
    ClickButton(dialog, "OK");
    ASSERT_TRUE(WaitUntilGone(dialog));
}

// A screen reader reads the version and the credit line, which are painted on the panel.
TEST_F(AboutDialog, AScreenReaderReadsTheVersionAndTheCredit) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND panel = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassName(child) == "TPanel") panel = child;
    ASSERT_NE(panel, nullptr);
    CoInitialize(nullptr);
    const std::string text = WideToAnsi(AccessibleName(panel));
    CoUninitialize();
    EXPECT_NE(text.find("Ver." JVCC_VERSION), std::string::npos) << text;
    EXPECT_NE(text.find("(C) 2026 JVCacheClean"), std::string::npos) << text;
    ClickButton(dialog, "OK");
    ASSERT_TRUE(WaitUntilGone(dialog));
}

// On a 200% screen the dialog scales as the main window does: its client area, its picture
// panel and its buttons are twice their designed size. Wine 8 reads the DPI of each new
// process from the registry; Windows, at sign-in, and Wine 10 when its session starts: the
// suite runs this test alone, in a session started at 192 DPI.
TEST_F(AboutDialog, ScalesWithTheScreensDpi) {
    PostMessageA(main_, WM_CLOSE, 0, 0);
    ASSERT_EQ(app_->WaitForExit(), 0u);
    {
        const RegistryValueFor doubled(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", 192);
        app_.reset(new AppProcess(Environment{}));
        main_ = app_->WaitForMainWindow();
    }
    ASSERT_NE(main_, nullptr);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    RECT client, ok;
    {
        const PhysicalPixels physical;
        GetClientRect(dialog, &client);
        GetWindowRect(FindChildWithText(dialog, "OK"), &ok);
    }
    EXPECT_NEAR(client.right, 2 * 324, 32);
    EXPECT_NEAR(client.bottom, 2 * 258, 26);
    EXPECT_NEAR(ok.bottom - ok.top, 2 * 25, 5);
    ClickButton(dialog, "OK");
    ASSERT_TRUE(WaitUntilGone(dialog));
}

}  // namespace
