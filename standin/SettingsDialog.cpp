#include "SettingsDialog.h"

#include <string>
#include <vector>

#include "StandInModule.h"
#include "StandInSettings.h"

namespace {

const WORD kPathEdit = 1001;

// The template is written word by word; the packed header sizes matter.
static_assert(sizeof(DLGTEMPLATE) == 18, "DLGTEMPLATE must be packed");
static_assert(sizeof(DLGITEMTEMPLATE) == 18, "DLGITEMTEMPLATE must be packed");

// Builds a DLGTEMPLATE in memory, so the DLL needs no resource script.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* title, short width, short height) {
        DLGTEMPLATE header = {};
        header.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        header.cx = width;
        header.cy = height;
        append(&header, sizeof header);
        m_words.push_back(0);  // no menu
        m_words.push_back(0);  // default dialog class
        appendString(title);
        m_words.push_back(9);  // point size
        appendString(L"MS Shell Dlg");
    }

    void addItem(WORD id, WORD windowClass, const wchar_t* text, DWORD style, short x, short y,
                 short width, short height) {
        if (m_words.size() % 2) m_words.push_back(0);  // items are DWORD-aligned
        DLGITEMTEMPLATE item = {};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = width;
        item.cy = height;
        item.id = id;
        append(&item, sizeof item);
        m_words.push_back(0xFFFF);  // predefined class by atom
        m_words.push_back(windowClass);
        appendString(text);
        m_words.push_back(0);  // no creation data
        ++reinterpret_cast<DLGTEMPLATE*>(m_words.data())->cdit;
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void append(const void* data, size_t bytes) {
        const WORD* words = static_cast<const WORD*>(data);
        m_words.insert(m_words.end(), words, words + bytes / sizeof(WORD));
    }
    void appendString(const wchar_t* text) {
        for (; *text; ++text) m_words.push_back(static_cast<WORD>(*text));
        m_words.push_back(0);
    }

    std::vector<WORD> m_words;
};

const WORD kButtonClass = 0x0080;
const WORD kEditClass = 0x0081;
const WORD kStaticClass = 0x0082;

}  // namespace

void SettingsDialog::show(HWND owner) {
    DialogTemplate dialog(L"JV-Link stand-in settings", 260, 70);
    dialog.addItem(0xFFFF, kStaticClass, L"Save path:", SS_LEFT, 7, 9, 246, 8);
    dialog.addItem(kPathEdit, kEditClass, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 20, 246,
                   14);
    dialog.addItem(IDOK, kButtonClass, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 149, 47, 50, 14);
    dialog.addItem(IDCANCEL, kButtonClass, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 203, 47, 50, 14);
    DialogBoxIndirectParamW(StandInModule::instance(), dialog.get(), owner, dialogProc, 0);
}

INT_PTR CALLBACK SettingsDialog::dialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG: {
        std::wstring path;
        StandInSettings::readSavePath(path);
        SetDlgItemTextW(dialog, kPathEdit, path.c_str());
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            HWND edit = GetDlgItem(dialog, kPathEdit);
            std::vector<wchar_t> text(GetWindowTextLengthW(edit) + 1);
            GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
            StandInSettings::writeSavePath(text.data());
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
