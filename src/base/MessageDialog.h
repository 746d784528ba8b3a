#pragma once
// The program's own modal message dialog: caption by type, the type's icon, the given
// buttons; OK (else Yes) is the default unless one is named, Esc presses Cancel, else No,
// else OK.
#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Button set, as flags.
enum : unsigned { mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2, mbCancel = 1u << 3 };

// What the dialog returns: the pressed button. Values are the Windows command ids.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons,
                        TModalResult defaultButton = mrNone);

// A plain message box: the custom type (caption: the application title) with OK.
void ShowMessage(const std::string& text);

// The application's error box: the error icon, captioned with the application title, OK.
void ShowErrorBox(const std::string& text);
