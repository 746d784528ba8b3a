#pragma once
// The main window: explains when the tool helps, carries the delete button, hosts the
// JV-Link control every JV-Link call goes through, and has the File and Help menus.
#include <memory>
#include <string>
#include <vector>
#include <shobjidl.h>
#include "base/ComPtr.h"
#include "base/Panel.h"
#include "base/SpeedButton.h"
#include "base/Window.h"
#include "components/FolderFileList.h"
#include "components/IniGT.h"
#include "jvlink/JVDTLabLib_TLB.h"

// The software id JV-Link is initialised with, for the version text ("Ver.1.03").
std::string SoftwareIdFor(const std::string& versionText);

class TMainForm : public Window {
public:
    TMainForm();
    ~TMainForm() override;

    // Creates the window and its controls from the form definition, then runs FormCreate.
    // Raises when the hosted JV-Link control cannot be made.
    void Create();
    void Show();
    void Close();

    std::string VersionText;
    std::string SoftwareId() const;

    // Event handlers, named after the control and the event.
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void JVLink2Click();
    void FileExitItemClick();
    void HelpAboutItemClick();
    void SpeedButton1Click();

    TPanel Panel1;
    TSpeedButton SpeedButton1;
    TJVLink JVLink1;
    std::unique_ptr<FolderFileList> FileListBox1;  // made with the controls, not before
    TIniGT IniGT1;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void CreateMainMenu();
    HFONT MakeFont(const struct TFontDefinition& font);
    void Dispatch(int commandId);
    RECT NormalBounds() const;
    void CloseWhenFree();
    void SetBusy(bool busy);

    // The taskbar button's progress, made once Windows says the button exists; null before
    // that and where there is no taskbar.
    ComPtr<ITaskbarList3> taskbar_;
    const UINT taskbarButtonCreated_ = RegisterWindowMessageA("TaskbarButtonCreated");

    // From the button to the end of the report: the folder work runs or its outcome is on
    // the screen, the button and the menu are disabled, and a request to close waits.
    bool busy_ = false;
    bool closeRequested_ = false;
    // While the folder work runs on its thread: the busy cursor, and where its progress shows.
    class DeletionWorker* worker_ = nullptr;
    class DeletionFeedback* feedback_ = nullptr;

    int dpi_ = 96;
    std::vector<HFONT> fonts_;
};

extern TMainForm* MainForm;
