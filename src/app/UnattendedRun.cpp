#include "app/UnattendedRun.h"

#include <windows.h>
#include <objbase.h>
#include <memory>
#include <vector>
#include "app/Startup.h"
#include "base/AnsiPath.h"
#include "base/Application.h"
#include "base/MessageDialog.h"
#include "components/FolderFileList.h"
#include "forms/CacheDeletion.h"
#include "forms/DeletionWorker.h"
#include "forms/Main.h"
#include "jvlink/JVDTLabLib_TLB.h"
#include "jvlink/JVLinkErrors.h"
#include "jvlink/JVLinkUsers.h"

namespace {

const char kUsage[] =
    "使い方：JVCacheClean.exe [/delete | /?]\r\n"
    "\r\n"
    "  （なし）  ウィンドウを開きます。\r\n"
    "  /delete   確認せずに、JV-LinkのDataフォルダとCacheフォルダの中のキャッシュデータを削除します。\r\n"
    "            保存パスとフォルダは、ボタンで削除するときと同じように確かめます。\r\n"
    "            JV-Linkを使っているソフトが起動しているときは、何も削除しません。\r\n"
    "            ウィンドウもメッセージも表示せず、結果をコマンドプロンプトの画面か、\r\n"
    "            リダイレクト先のファイルに書きます。\r\n"
    "  /?        この説明を表示します。\r\n"
    "\r\n"
    "終了コード：\r\n"
    "  0  削除しました（削除するものがなかったときも含みます）。\r\n"
    "  1  削除できなかったファイルがあります。\r\n"
    "  2  何も削除していません（引数の誤り、JV-Linkの初期化、保存パス、フォルダの確認、\r\n"
    "     JV-Linkを使っているソフトなど）。\r\n"
    "  3  JV-Linkがインストールされていません。\r\n"
    "  4  一部を削除したあと、エラーのため中止しました。";

const char kJVLinkUsersStop[] =
    "次のソフトがJV-Linkを使っているため、キャッシュデータを削除しませんでした。";
const char kCloseAndRunAgain[] = "これらのソフトを終了してから、もう一度実行してください。";

// COM for this thread, for the length of the run.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

// Whether a person can see a window of this process: not in a service's or a task's
// desktop that nobody looks at.
bool OnAnInteractiveDesktop() {
    USEROBJECTFLAGS flags{};
    DWORD size = 0;
    return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, &size) &&
           (flags.dwFlags & WSF_VISIBLE);
}

int EmptyTheCache(UnattendedOutput& output) {
    TJVLink jvlink;
    jvlink.CreateWithoutWindow();
    const LONG code = jvlink.JVInit(SoftwareIdFor("Ver." JVCC_VERSION));
    if (code != 0) {
        output.Write(JVInitFailureText(code));
        return kExitNothingDeleted;
    }
    std::string savePath;
    const std::string refusal = SavePathRefusal(jvlink.savePath(), savePath);
    if (!refusal.empty()) {
        output.Write(refusal);
        return kExitNothingDeleted;
    }
    // As the button does it, on the same worker: the checks and the look for programs that
    // use JV-Link, then the folders held from the checks to the end. Nobody is there to
    // decide about such programs: they stop the run. A task may run in a session of its own,
    // so every session of this user is looked at.
    const LinkCheck check = LinkCheckForThisSystem();
    const JVLinkFile file = FindJVLinkFile();
    std::unique_ptr<CacheFolders> folders;
    std::vector<std::wstring> users;
    DeletionWorker worker(nullptr);
    worker.Run([&](const DeletionProgress&) {
        folders.reset(new CacheFolders(savePath, check));
        users = ProgramsUsing(file, GetCurrentProcessId(), SystemProcessSeams(ProcessScope::ThisUser));
    });
    if (!users.empty()) {
        std::string text = kJVLinkUsersStop;
        for (const std::wstring& user : users) text += "\r\n" + WideToAnsi(user);
        output.Write(text + "\r\n" + kCloseAndRunAgain);
        return kExitNothingDeleted;
    }
    FolderFileList lister;
    CacheDeletionCounts counts;
    worker.Run([&](const DeletionProgress& progress) { counts = EmptyCacheFolders(*folders, lister, check, progress); });
    output.Write(CacheDeletionReport(*folders, counts));
    return counts.dataStayed || counts.cacheStayed ? kExitSomeStayed : kExitEmptied;
}

}  // namespace

int RunUnattended(UnattendedOutput& output) {
    ComApartment com;
    if (!JVLinkIsInstalled()) {
        output.Write(kInstallJVLink);
        return kExitJVLinkMissing;
    }
    try {
        return EmptyTheCache(output);
    } catch (const EDeletionStopped& stopped) {
        output.Write(stopped.what());
        return stopped.Deleted() > 0 ? kExitStoppedAfterSome : kExitNothingDeleted;
    } catch (const std::exception& error) {
        output.Write(error.what());
        return kExitNothingDeleted;
    }
}

int ShowUsage(RunMode mode, UnattendedOutput& output) {
    if (output.Exists()) {
        output.Write(kUsage);
    } else if (mode == RunMode::Usage && OnAnInteractiveDesktop()) {
        Application application;
        MessageDlg(kUsage, mtInformation, mbOK);
    }
    return mode == RunMode::Usage ? kExitEmptied : kExitNothingDeleted;
}
