// The hotkey manager's list: system-wide hotkeys registered to one window, numbered 1..N in the
// order they were added, each identified by a global atom of its own.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tf {

// The platform side: registration to the manager's window and the global atom table.
class HotkeyRegistrar {
public:
    virtual ~HotkeyRegistrar() = default;
    // `modifiers` is the system's mask (kHotkeyAlt | kHotkeyCtrl | kHotkeyShift).
    virtual bool Register(int id, unsigned modifiers, unsigned key) = 0;
    virtual void Unregister(int id) = 0;
    // Returns 0 on failure. Adding a name that is already in the table returns that name's atom.
    virtual int AddAtom(const std::string& name) = 0;
    virtual void DeleteAtom(int atom) = 0;
};

inline constexpr unsigned kHotkeyAlt = 1;
inline constexpr unsigned kHotkeyCtrl = 2;
inline constexpr unsigned kHotkeyShift = 4;

// What the manager raises for a hotkey message (HotKeyPress).
struct HotkeyPress {
    int index = 0;
    int key = 0;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    bool operator==(const HotkeyPress&) const = default;
};

class HotkeyList {
public:
    // A uniform draw from [0, 1). Seeded once by the list when none is given.
    using RandomSource = std::function<double()>;

    // The registrar must outlive the list: the destructor unregisters what is left.
    explicit HotkeyList(HotkeyRegistrar& registrar, RandomSource random = {});
    ~HotkeyList();
    HotkeyList(const HotkeyList&) = delete;
    HotkeyList& operator=(const HotkeyList&) = delete;

    // The new entry's number, or -1 when refused: the key already held without modifiers (and
    // neither Ctrl nor Shift asked for), the exact combination already in the list, no identifier to
    // be had, or the system refusing it.
    int AddHotKey(int key, bool ctrl = false, bool alt = false, bool shift = false);
    // Removes the first entry of that combination; the entries behind it move up one number.
    bool DelHotKey(int key, bool ctrl = false, bool alt = false, bool shift = false);
    // Stops the listener and removes every entry. Always false.
    bool ClsAllHotKey();
    // N, or -1 for a number outside 0..N (the out arguments then stay as they were). 0 is slot 0.
    int GetHotKeySetting(int index, int& key, bool& ctrl, bool& alt, bool& shift) const;
    int HotKeysCount() const { return static_cast<int>(keys_.size()) - 1; }

    // The press a WM_HOTKEY with this identifier raises; none for an identifier that is no entry's.
    std::optional<HotkeyPress> Dispatch(int identifier) const;

    // The listener's stop flag, tested at the head of each pass of the message loop. Restarting from
    // inside a handler clears it before the running loop looks again, so that loop goes on.
    // StartHotKeys: true when the listener is to be armed; with no entry nothing changes.
    bool StartHotKeys();
    void StopHotKeys() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

    // The identifier of entry `index` (1..N), for the platform side and tests.
    int Identifier(int index) const { return ids_.at(index); }
    const std::string& AtomName(int index) const { return names_.at(index); }

private:
    int FindHotKey(int key, bool ctrl, bool alt, bool shift) const;
    std::string MakeAtomName(int length);
    // A fresh atom whose name and identifier no entry holds; 0 when none could be had.
    int NewIdentifier(std::string& name);
    void ClearLists();

    HotkeyRegistrar& registrar_;
    RandomSource random_;
    // Parallel lists; slot 0 always exists and holds no hotkey.
    std::vector<int> keys_;
    std::vector<bool> ctrl_, alt_, shift_;
    std::vector<int> ids_;
    std::vector<std::string> names_;
    bool stopped_ = true;
};

}  // namespace tf
