// frmEdit: the window in which one login record is entered or changed. It shows and collects the
// boxes; what OK accepts and the record it builds are the core's (record_editor.h), and the grid
// is the main window's, reached through the callback.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/controls_win.h"
#include "base/windows_api_win.h"
#include "records/generator_options_win.h"
#include "records/password_generator.h"
#include "records/record_editor.h"
#include "vault/settings_store_win.h"

namespace tf {

inline constexpr wchar_t kEditorWindowClass[] = L"TamborvinFormEdit";

// Control IDs of the editor; stable, so that tests can find and drive the controls. OK and
// Cancel are IDOK and IDCANCEL, which Enter and Escape also send.
enum EditorControl : int {
    kIdTxtName0 = 2000,          // txtName(0) .. txtName(7) are 2000 .. 2007
    kIdEditorLabel0 = 2100,      // their labels, 2100 .. 2107
    kIdEditorRequired0 = 2110,   // the "*" after "Site Name"; 2111 after "Login URL"
    kIdGeneratePassword = 2200,  // fills the password box with a new password
    kIdGeneratorOptions = 2201,  // opens the generator's options
};

class EditorWindow {
public:
    // Hands an accepted record to the grid: changed (edit mode) or added (add mode). A question
    // it asks belongs to the editor, whose handle it is given.
    using AcceptHandler = std::function<void(const LoginRecord& record, bool editMode, HWND editor)>;

    explicit EditorWindow(AcceptHandler onAccept) : onAccept_(std::move(onAccept)) {}
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // Opens the editor beside its owner, modeless: edit mode fills it with the record, add mode
    // with a blank one. An editor already open is filled again, unless its OK is being handled.
    void ShowEditor(HWND owner, const LoginRecord& record, bool editMode);
    // Closes the editor; nothing is handed on.
    void Close();
    HWND Handle() const { return hwnd_; }

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Create(HWND owner);
    // Creates the controls the first time, moves them to the present scaling afterwards.
    void Layout();
    void Fill(const EditorBoxes& boxes);
    EditorBoxes Collect() const;
    void OnCommand(int id, int code, HWND control);
    void btnOK_Click();
    void btnGenerate_Click();
    void btnOptions_Click();

    AcceptHandler onAccept_;
    bool editMode_ = false;
    // Set while OK hands a record on: a question asked then runs a message loop, in which a
    // second OK must not hand the record on again.
    bool accepting_ = false;
    // The texts the boxes were filled with, and what they showed then: a box may not hold all
    // of a record's text.
    EditorBoxes filled_{};
    EditorBoxes shown_{};
    std::string lineNum_;  // txtLineNum: the "#" text of the row being changed
    HWND hwnd_ = nullptr;
    std::array<HWND, kEditorBoxes> boxes_{};
    std::array<HWND, 2> required_{};
    DialogFace face_;
    // The generator's options: read from the settings as the window is made, kept there on OK of
    // the options window.
    RegistrySettingsStore store_;
    GeneratorOptions generator_;
    GeneratorOptionsWindow generatorWindow_;
};

}  // namespace tf
