#include "forms/MainFormDefinition.h"

#include "resource.h"

namespace {

const TFontDefinition kFormFont = {"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET, clWindowText};
const TFontDefinition kLabel16Font = {"ＭＳ ゴシック", 12, SHIFTJIS_CHARSET, clBlack};

using Control = TControlDefinition<TMainForm>;
// Panel1 fills the client area; the others are its children, in its client coordinates.
const Control kControls[] = {
    {"Panel1", ControlKind::Panel, IDC_PANEL1, 0, 0, 424, 174, "", nullptr, nullptr},
    {"Label17", ControlKind::Label, IDC_LABEL17, 16, 12, 367, 47,
     "JRA-VAN Data Lab.からデータを取得中にエラー番号(-402,-403)のエラーが発生し、再取得しても改善しない場合はこのソフトを使ってキャッシュデータの削除を行うと解決する場合が多いです。",
     nullptr, nullptr},
    {"Label16", ControlKind::Label, IDC_LABEL16, 18, 54, 367, 43,
     "このエラーはダウンロードしたデータが異常あるいは壊れた場合に発生します。下のボタンをクリックするとJRA-VAN Data Lab.のキャッシュデータを削除できます。",
     &kLabel16Font, nullptr},
    {"SpeedButton1", ControlKind::SpeedButton, IDC_SPEEDBUTTON1, 22, 102, 357, 45,
     "JRA-VAN Data Lab.のキャッシュデータを削除する", nullptr, &TMainForm::SpeedButton1Click},
    {"JVLink1", ControlKind::JVLink, IDC_JVLINK1, 22, 64, 32, 32, "", nullptr, nullptr},
    // Never shown: it only lists the folders the delete button empties.
    {"FileListBox1", ControlKind::FolderFileList, IDC_FILELISTBOX1, 250, 34, 145, 97, "", nullptr, nullptr},
    // Non-visual: the executable's name with ".ini", beside the executable.
    {"IniGT1", ControlKind::IniGT, 0, 0, 0, 0, 0, "", nullptr, nullptr},
};

using MenuItem = TMenuItemDefinition<TMainForm>;
const MenuItem kMenu[] = {
    {"FileMenu", 0, "ﾌｧｲﾙ(&F)", "", 0, nullptr},
    {"JVLink2", 1, "JV Link 設定(&S)", "", IDM_JVLINK_SETTINGS, &TMainForm::JVLink2Click},
    {"N1", 1, "-", "", 0, nullptr},
    {"FileExitItem", 1, "終了(&X)", "このｱﾌﾟﾘｹｰｼｮﾝを終了します", IDM_FILE_EXIT,
     &TMainForm::FileExitItemClick},
    {"HelpMenu", 0, "ﾍﾙﾌﾟ(&H)", "", 0, nullptr},
    {"HelpAboutItem", 1, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "ﾌﾟﾛｸﾞﾗﾑの情報を表示します", IDM_HELP_ABOUT,
     &TMainForm::HelpAboutItemClick},
};

const unsigned char kJVLinkState[] = {0x00, 0x07, 0x00, 0x00, 0xD8, 0x13,
                                      0x00, 0x00, 0xD8, 0x13, 0x00, 0x00};

}  // namespace

const TMainFormDefinition kMainFormDefinition = {
    "キャッシュデータ削除ツール for JRA-VAN Data Lab.",
    23, 20, 424, 174,
    &kFormFont,
    kControls, sizeof kControls / sizeof kControls[0],
    kMenu, sizeof kMenu / sizeof kMenu[0],
    kJVLinkState, sizeof kJVLinkState,
};
