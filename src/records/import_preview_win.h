// The import's preview: before anything changes, every row of the file with what OK would do to it
// (add, already there, update the password, cannot import and why) and the totals. It shows site
// names, addresses and accounts, never a password.
#pragma once

#include <string>

#include "base/controls_win.h"
#include "base/windows_api_win.h"

#include <commctrl.h>

#include "records/login_import.h"

namespace tf {

inline constexpr wchar_t kImportPreviewClass[] = L"TamborvinFormImportPreview";

// Control IDs; OK and Cancel are IDOK and IDCANCEL, which Enter and Escape send.
enum ImportPreviewControl : int {
    kIdPreviewKind = 4301,  // the file's kind
    kIdPreviewTotals,       // the totals
    kIdPreviewList,         // one line per row of the file
};

// The preview's columns, left to right.
inline constexpr const char* kImportPreviewColumns[] = {"行", "操作", "网站名称", "网址", "登录账号", "说明"};

class ImportPreview {
public:
    ImportPreview() = default;
    ~ImportPreview();
    ImportPreview(const ImportPreview&) = delete;
    ImportPreview& operator=(const ImportPreview&) = delete;

    // Shows the plan over the owner (disabled meanwhile) and returns when the window has closed:
    // true for OK. The plan must stay unchanged while it is shown.
    bool ShowModal(HWND owner, const ImportPlan& plan);
    HWND Handle() const { return hwnd_; }

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The layout's scaling and font for a monitor with this work area.
    void FitTo(const ScreenBox& work);
    // Creates the controls the first time, moves them to the present scaling afterwards.
    void Layout();
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void FillItemText(NMLVDISPINFOW& info);
    void Close(bool accepted);

    const ImportPlan* plan_ = nullptr;
    bool accepted_ = false;
    HWND owner_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    DialogFace face_;
    // The face's dpi, or less on a screen too small for the window; the font drawn at it.
    Dpi dpi_;
    UniqueFont font_;
    // The text of the cell last asked for: the list reads it before it asks again.
    std::wstring cellText_;
};

// The text of a cell of the preview's list (column as kImportPreviewColumns); never a password.
std::string ImportPreviewCell(const ImportRow& row, int column);

}  // namespace tf
