// The small window in which the user sets how the record editor's generator makes passwords: the
// length, symbols or not, look-alike characters left out or not.
#pragma once

#include "base/controls_win.h"
#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/windows_api_win.h"
#include "records/password_generator.h"

namespace tf {

inline constexpr wchar_t kGeneratorOptionsClass[] = L"TamborvinFormGeneratorOptions";
inline constexpr char kGeneratorOptionsCaption[] = "Password options";

// Stable, so that tests can find and drive the controls; OK and Cancel are IDOK and IDCANCEL.
enum GeneratorOptionsControl : int {
    kIdGeneratorLength = 2210,
    kIdGeneratorLengthSpin = 2211,
    kIdGeneratorSymbols = 2212,
    kIdGeneratorNoLookAlikes = 2213,
};

class GeneratorOptionsWindow {
public:
    GeneratorOptionsWindow() = default;
    ~GeneratorOptionsWindow();
    GeneratorOptionsWindow(const GeneratorOptionsWindow&) = delete;
    GeneratorOptionsWindow& operator=(const GeneratorOptionsWindow&) = delete;

    // Shows the options over the owner, which is disabled meanwhile, and returns when the window
    // has closed: true after OK, with `options` set to what it showed (the length brought into
    // 8-64); false after Cancel or when the window could not open, `options` untouched.
    bool ShowModal(HWND owner, GeneratorOptions& options);

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Creates the controls the first time, moves them to the present scaling afterwards.
    void Layout();
    void Unload();

    GeneratorOptions* options_ = nullptr;
    bool accepted_ = false;
    HWND owner_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND lengthLabel_ = nullptr;
    HWND length_ = nullptr;
    HWND symbols_ = nullptr;
    HWND noLookAlikes_ = nullptr;
    DialogFace face_;
};

}  // namespace tf
