#include "app/Startup.h"

#include <windows.h>
#include <objbase.h>
#include "app/CommandLine.h"
#include "app/UnattendedRun.h"
#include "base/Application.h"
#include "base/ComPtr.h"
#include "base/ErrorGuard.h"
#include "base/MessageDialog.h"
#include "forms/Main.h"
#include "jvlink/JVDTLabLib_TLB.h"

const char kInstallJVLink[] = "JRA-VANのホームページより【JV-Link】を入手し、インストールしてください。";

bool JVLinkIsInstalled() {
    CLSID classId;
    if (FAILED(CLSIDFromProgID(kJVLinkProgId, &classId))) return false;
    ComPtr<IDispatch> probe;
    return SUCCEEDED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IDispatch, probe.OutVoid()));
}

int RunProgram() {
    // Without arguments, the window; with them, a run without one, or how to use them.
    const RunMode mode = ModeOf(ProgramArguments());
    if (mode != RunMode::Window) {
        UnattendedOutput output;
        return mode == RunMode::Delete ? RunUnattended(output) : ShowUsage(mode, output);
    }
    Application application;
    if (!JVLinkIsInstalled()) {
        MessageBeep(0);
        MessageDlg(kInstallJVLink, mtInformation, mbOK);
        return 0;
    }
    TMainForm mainForm;
    // An error while the window is built is shown like any other; there is nothing to run then.
    if (!Guarded([&] { mainForm.Create(); })) return 1;
    mainForm.Show();
    return application.Run();
}
