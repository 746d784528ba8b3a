#include "forms/Main.h"

#include "base/AnsiPath.h"
#include "base/ErrorGuard.h"
#include "base/Exception.h"
#include "base/MessageDialog.h"
#include "base/ScreenPlacement.h"
#include "forms/CacheDeletion.h"
#include "forms/DeletionFeedback.h"
#include "forms/DeletionWorker.h"
#include "forms/MainFormDefinition.h"
#include "forms/Unit6.h"
#include "jvlink/JVLinkErrors.h"
#include "jvlink/JVLinkUsers.h"
#include "resource.h"

TMainForm* MainForm = nullptr;

namespace {

// Our JV-Link software id prefix: two codes, then the program's short name, each ended by
// "/". 29 characters; with the version the id stays well below JV-Link's 64-byte limit.
const char kSoftwareIdPrefix[] = "JC260101/JC260102/CacheClean/";
static_assert(sizeof kSoftwareIdPrefix - 1 == 29, "the prefix is 29 characters");

const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
const DWORD kExStyle = WS_EX_CONTROLPARENT;

}  // namespace

TMainForm::TMainForm() {
    MainForm = this;
}

TMainForm::~TMainForm() {
    JVLink1.Destroy();
    for (HFONT font : fonts_) DeleteObject(font);
    if (MainForm == this) MainForm = nullptr;
}

std::string SoftwareIdFor(const std::string& versionText) {
    return kSoftwareIdPrefix + versionText;
}

std::string TMainForm::SoftwareId() const {
    return SoftwareIdFor(VersionText);
}

HFONT TMainForm::MakeFont(const TFontDefinition& font) {
    LOGFONTA logFont{};
    logFont.lfHeight = -ScaleToScreen(font.height, dpi_);
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = font.charset;
    lstrcpynA(logFont.lfFaceName, font.face, LF_FACESIZE);
    HFONT handle = CreateFontIndirectA(&logFont);
    fonts_.push_back(handle);
    return handle;
}

void TMainForm::Create() {
    const TMainFormDefinition& form = kMainFormDefinition;
    dpi_ = ScreenDpi();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAINICON));
    RegisterClassOnce("TMainForm", icon, GetSysColorBrush(COLOR_BTNFACE));

    RECT frame{0, 0, ScaleToScreen(form.clientWidth, dpi_), ScaleToScreen(form.clientHeight, dpi_)};
    AdjustWindowRectEx(&frame, kStyle, TRUE, kExStyle);
    CreateHandle(kExStyle, "TMainForm", form.caption, kStyle, form.left, form.top,
                 frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr);
    if (!Handle()) throw Exception("メインウィンドウを作成できません。");
    CreateMainMenu();

    // A menu bar that wraps takes client height: make the client area exactly the design's.
    RECT client;
    GetClientRect(Handle(), &client);
    int missingWidth = ScaleToScreen(form.clientWidth, dpi_) - client.right;
    int missingHeight = ScaleToScreen(form.clientHeight, dpi_) - client.bottom;
    if (missingWidth || missingHeight) {
        RECT window;
        GetWindowRect(Handle(), &window);
        SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left + missingWidth,
                     window.bottom - window.top + missingHeight, SWP_NOMOVE | SWP_NOZORDER);
    }

    CreateControls();
    FormCreate();
}

void TMainForm::CreateMainMenu() {
    SetMenu(Handle(), BuildMenuBar(kMainFormDefinition.menu, kMainFormDefinition.menuCount));
}

void TMainForm::CreateControls() {
    const TMainFormDefinition& form = kMainFormDefinition;
    HFONT formFont = MakeFont(*form.font);
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(formFont), FALSE);
    auto scaled = [this](const TControlDefinition<TMainForm>& control) {
        return RECT{ScaleToScreen(control.left, dpi_), ScaleToScreen(control.top, dpi_),
                    ScaleToScreen(control.left + control.width, dpi_),
                    ScaleToScreen(control.top + control.height, dpi_)};
    };
    Panel1.StaticTextColor = [&form](int id) {
        for (std::size_t i = 0; i < form.controlCount; ++i)
            if (form.controls[i].id == id)
                return ShownColor(form.controls[i].font ? form.controls[i].font->color : form.font->color,
                                  COLOR_WINDOWTEXT);
        return ShownColor(form.font->color, COLOR_WINDOWTEXT);
    };
    for (std::size_t i = 0; i < form.controlCount; ++i) {
        const auto& control = form.controls[i];
        RECT bounds = scaled(control);
        HFONT font = control.font ? MakeFont(*control.font) : formFont;
        switch (control.kind) {
        case ControlKind::Panel:
            Panel1.Create(Handle(), control.id, bounds);
            break;
        case ControlKind::Label: {
            HWND label = CreateWindowExA(0, "STATIC", control.caption,
                                         WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, bounds.left,
                                         bounds.top, bounds.right - bounds.left,
                                         bounds.bottom - bounds.top, Panel1.Handle(),
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                         GetModuleHandleA(nullptr), nullptr);
            SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            break;
        }
        case ControlKind::SpeedButton: {
            SpeedButton1.Create(Panel1.Handle(), control.id, bounds, control.caption, font);
            auto handler = control.onClick;
            SpeedButton1.OnClick = [this, handler] { (this->*handler)(); };
            break;
        }
        case ControlKind::FolderFileList:
            // Its folder is the directory current when the program started.
            FileListBox1.reset(new FolderFileList);
            break;
        case ControlKind::IniGT:
            IniGT1.SetDefaultDir(ddApplication);
            break;
        case ControlKind::JVLink:
            JVLink1.Create(Panel1.Handle(), bounds,
                           std::vector<BYTE>(form.jvlinkState, form.jvlinkState + form.jvlinkStateSize));
            break;
        }
    }
    IniGT1.Loaded();
}

void TMainForm::Show() {
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
    SetFocus(SpeedButton1.Handle());
}

void TMainForm::Close() {
    SendMessageA(Handle(), WM_CLOSE, 0, 0);
}

void TMainForm::Dispatch(int commandId) {
    const TMainFormDefinition& form = kMainFormDefinition;
    for (std::size_t i = 0; i < form.menuCount; ++i) {
        const auto& item = form.menu[i];
        if (item.id == commandId && item.onClick) {
            (this->*item.onClick)();
            return;
        }
    }
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarButtonCreated_ && taskbarButtonCreated_ != 0) {
        // Made here rather than at the deletion: the first taskbar list of a process can
        // take seconds to make, with the window silent.
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    taskbar_.OutVoid())) ||
            FAILED(taskbar_->HrInit()))
            taskbar_.Reset();
        return 0;
    }
    if (message == DeletionWorker::kProgressMessage) {
        int folder = 0, folders = 0, done = 0, total = 0;
        if (worker_ && feedback_) {
            worker_->LatestProgress(folder, folders, done, total);
            feedback_->Show(folder, folders, done, total);
        }
        return 0;
    }
    switch (message) {
    case WM_SETCURSOR:
        if (worker_) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_COMMAND:
        // Menu commands sent from outside while the deletion runs are not acted on.
        if (HIWORD(wParam) == 0 && lParam == 0 && !busy_) Dispatch(LOWORD(wParam));
        return 0;
    case WM_SYSCOMMAND:
        // A fixed single border: nothing may maximise or size the window.
        if ((wParam & 0xFFF0) == SC_MAXIMIZE || (wParam & 0xFFF0) == SC_SIZE) return 0;
        // The system ignores the close box of a window that a dialog disables: one clicked
        // during the deletion is kept for after the report.
        if ((wParam & 0xFFF0) == SC_CLOSE && busy_) {
            closeRequested_ = true;
            return 0;
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION) return 0;
        break;
    case WM_SHOWWINDOW:
        if (wParam && lParam == 0) FormShow();
        break;
    case WM_CLOSE:
        // Never half-way through a deletion, nor from under a dialog: the close waits and
        // then takes this same path.
        if (busy_ || !IsWindowEnabled(Handle())) {
            closeRequested_ = true;
            return 0;
        }
        closeRequested_ = false;
        // A position that cannot be saved is reported, but never keeps the user from
        // closing the program.
        Guarded([this] { FormCloseQuery(); });
        DestroyWindow(Handle());
        return 0;
    case WM_ENABLE:
        if (wParam) CloseWhenFree();  // a dialog closed
        break;
    case WM_SETFOCUS:
        // The window's one control has the keyboard whenever the window does.
        if (SpeedButton1.Handle()) SetFocus(SpeedButton1.Handle());
        return 0;
    case WM_QUERYENDSESSION:
        // A deletion is not broken off: the session may end once its report has been seen.
        if (busy_) {
            closeRequested_ = true;
            return FALSE;
        }
        // Signing out or shutting down closes the window too: keep its position, silently,
        // since nobody would see a message now.
        try {
            FormCloseQuery();
        } catch (...) {
        }
        return TRUE;
    case WM_ENDSESSION:
        // Never destroyed half-way through a deletion; the close waits for the report.
        if (wParam && busy_) closeRequested_ = true;
        else if (wParam) DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        JVLink1.Destroy();
        PostQuitMessage(0);
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void TMainForm::FormCreate() {
    SetCurrentDirectoryA(ExtractFileDir(ExecutablePath()).c_str());
    // Run as administrator, the window would never hear from the taskbar, which runs without:
    // that one message, and only it, is let through (letting commands through would let any
    // program drive an elevated window). Windows 7 and later have the call.
    using MessageFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    if (auto allow = reinterpret_cast<MessageFilter>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx"))))
        if (taskbarButtonCreated_) allow(Handle(), taskbarButtonCreated_, 1 /* MSGFLT_ALLOW */, nullptr);
    // Saved positions are restored as they are, also partly off-screen ones; only a title
    // bar that no monitor shows (saved on a screen since unplugged) falls back to 10, 10.
    RECT window;
    GetWindowRect(Handle(), &window);
    int top = IniGT1.ReadInteger("locate", "top", 10);
    int left = IniGT1.ReadInteger("locate", "left", 10);
    const int titleBarHeight = GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION);
    const RECT titleBar{left, top, left + (window.right - window.left), top + titleBarHeight};
    if (!TitleBarOnSomeMonitor(titleBar, MonitorRectangles())) left = top = 10;
    SetWindowPos(Handle(), nullptr, window.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainForm::FormShow() {
    VersionText = "Ver." JVCC_VERSION;
    LONG code = JVLink1.JVInit(SoftwareId());
    if (code != 0) ShowMessage(JVInitFailureText(code));
}

void TMainForm::JVLink2Click() {
    LONG code = JVLink1.JVSetUIProperties();
    if (code != 0) {
        MessageBeep(0);
        MessageDlg(JVSetUIPropertiesFailureText(code), mtInformation, mbOK);
    }
}

void TMainForm::FileExitItemClick() {
    Close();
}

void TMainForm::HelpAboutItemClick() {
    TAboutBox aboutBox;
    AboutBox = &aboutBox;
    aboutBox.Label3D1.SetCaption(VersionText);
    aboutBox.ShowModal(Handle());
    AboutBox = nullptr;
}

// The window's restored position: a minimised window's rectangle is (-32000, -32000).
RECT TMainForm::NormalBounds() const {
    RECT window;
    GetWindowRect(Handle(), &window);
    if (!IsIconic(Handle())) return window;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(Handle(), &placement)) return window;
    // The restored rectangle is in work-area coordinates: a taskbar at the top or left
    // shifts them from the screen's.
    RECT normal = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST), &monitor))
        OffsetRect(&normal, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    return normal;
}

void TMainForm::FormCloseQuery() {
    const RECT window = NormalBounds();
    IniGT1.WriteInteger("locate", "top", window.top);
    IniGT1.WriteInteger("locate", "left", window.left);
}

// Takes up a close that had to wait, once no deletion and no dialog is in the way.
void TMainForm::CloseWhenFree() {
    if (closeRequested_ && !busy_ && IsWindowEnabled(Handle())) PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void TMainForm::SetBusy(bool busy) {
    busy_ = busy;
    EnableWindow(SpeedButton1.Handle(), !busy);
    const HMENU menu = GetMenu(Handle());
    for (int item = 0, items = GetMenuItemCount(menu); item < items; ++item)
        EnableMenuItem(menu, static_cast<UINT>(item), MF_BYPOSITION | (busy ? MF_GRAYED : MF_ENABLED));
    DrawMenuBar(Handle());
    // The button had the keyboard before; it has it again.
    if (!busy && GetActiveWindow() == Handle()) SetFocus(SpeedButton1.Handle());
}

void TMainForm::SpeedButton1Click() {
    if (busy_) return;  // a click sent from outside while the run goes on
    std::string savePath;
    std::string refusal = SavePathRefusal(JVLink1.savePath(), savePath);
    if (!refusal.empty()) {
        MessageDlg(refusal, mtWarning, mbOK);
        return;
    }
    // From here to the report, however the run ends, a close waits and is then taken up.
    struct BusyScope {
        TMainForm& form;
        ~BusyScope() {
            form.worker_ = nullptr;
            form.feedback_ = nullptr;
            form.SetBusy(false);
            form.CloseWhenFree();
        }
    } busy{*this};
    SetBusy(true);
    // The folder work runs on a thread of its own, the window answering meanwhile. Every
    // folder the question names is opened and checked first, and held until the run ends:
    // what the user is shown is what is emptied. A check that fails is shown by the error
    // display instead of the question. No answers close them. The programs that have JV-Link
    // loaded are looked for each time, since they start and end in between; JV-Link's own
    // file is found here, since the class lookup is this thread's COM.
    const LinkCheck check = LinkCheckForThisSystem();
    const JVLinkFile jvlink = FindJVLinkFile();
    std::unique_ptr<CacheFolders> folders;
    std::vector<std::wstring> jvlinkUsers;
    DeletionWorker worker(Handle());
    worker_ = &worker;
    worker.Run([&](const DeletionProgress&) {
        folders.reset(new CacheFolders(savePath, check));
        jvlinkUsers = ProgramsUsing(jvlink, GetCurrentProcessId(), SystemProcessSeams());
    });
    worker_ = nullptr;
    if (worker.CloseAskedFor()) closeRequested_ = true;
    // The question advises against going on while JV-Link's users run: Enter declines then.
    if (MessageDlg(CacheDeletionQuestion(*folders, jvlinkUsers), mtConfirmation, mbYes | mbNo,
                   jvlinkUsers.empty() ? mrYes : mrNo) != mrYes)
        return;

    DeletionFeedback feedback(Handle(), taskbar_.Get());
    feedback_ = &feedback;
    worker_ = &worker;
    CacheDeletionCounts counts;
    worker.Run([&](const DeletionProgress& progress) {
        counts = EmptyCacheFolders(*folders, *FileListBox1, check, progress);
    });
    worker_ = nullptr;
    feedback.Finish();
    if (feedback.CloseAskedFor() || worker.CloseAskedFor()) closeRequested_ = true;

    MessageBeep(0);
    MessageDlg(CacheDeletionReport(*folders, counts), mtInformation, mbOK);
}
