#include "hotkeys/hotkey_list.h"

#include <memory>
#include <random>

namespace tf {
namespace {

// Names that keep coming out empty or taken mean a broken random source; give up rather than spin.
constexpr int kNameAttempts = 64;
constexpr int kAtomNameLength = 16;

HotkeyList::RandomSource SeededOnce() {
    // Starting the generator afresh from the clock for every letter repeats one name within a tick.
    auto engine = std::make_shared<std::mt19937>(std::random_device{}());
    return [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

bool IsLetter(int code) { return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z'); }

}  // namespace

HotkeyList::HotkeyList(HotkeyRegistrar& registrar, RandomSource random)
    : registrar_(registrar), random_(random ? std::move(random) : SeededOnce()) {
    ClearLists();
}

HotkeyList::~HotkeyList() {
    stopped_ = true;
    ClsAllHotKey();
}

void HotkeyList::ClearLists() {
    keys_.assign(1, 0);
    ctrl_.assign(1, false);
    alt_.assign(1, false);
    shift_.assign(1, false);
    ids_.assign(1, 0);
    names_.assign(1, std::string());
}

int HotkeyList::FindHotKey(int key, bool ctrl, bool alt, bool shift) const {
    for (int i = 1; i <= HotKeysCount(); ++i) {
        if (keys_[i] == key && ctrl_[i] == ctrl && alt_[i] == alt && shift_[i] == shift) return i;
    }
    return -1;
}

std::string HotkeyList::MakeAtomName(int length) {
    std::string name;
    for (int i = 0; i < length; ++i) {
        const int code = static_cast<int>(random_() * 70) + 60;
        if (IsLetter(code)) name += static_cast<char>(code);
    }
    return name;
}

int HotkeyList::NewIdentifier(std::string& name) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = MakeAtomName(kAtomNameLength);
        if (name.empty()) continue;
        bool taken = false;
        for (int i = 1; i <= HotKeysCount() && !taken; ++i) taken = names_[i] == name;
        if (taken) continue;
        const int atom = registrar_.AddAtom(name);
        if (atom == 0) continue;
        // Names differ but the table may still hand back an atom an entry holds (names are compared
        // without regard to case there).
        for (int i = 1; i <= HotKeysCount() && !taken; ++i) taken = ids_[i] == atom;
        if (!taken) return atom;
        registrar_.DeleteAtom(atom);
    }
    return 0;
}

int HotkeyList::AddHotKey(int key, bool ctrl, bool alt, bool shift) {
    if (FindHotKey(key, false, false, false) != -1 && !ctrl && !shift) return -1;
    // An exact duplicate would fail to register and take the older entry with it on the way out.
    if (FindHotKey(key, ctrl, alt, shift) != -1) return -1;
    std::string name;
    const int id = NewIdentifier(name);
    if (id == 0) return -1;

    keys_.push_back(key);
    ctrl_.push_back(ctrl);
    alt_.push_back(alt);
    shift_.push_back(shift);
    ids_.push_back(id);
    names_.push_back(name);

    const unsigned mask = (ctrl ? kHotkeyCtrl : 0) | (alt ? kHotkeyAlt : 0) | (shift ? kHotkeyShift : 0);
    if (registrar_.Register(id, mask, static_cast<unsigned>(key))) return HotKeysCount();
    DelHotKey(key, ctrl, alt, shift);
    return -1;
}

bool HotkeyList::DelHotKey(int key, bool ctrl, bool alt, bool shift) {
    const int i = FindHotKey(key, ctrl, alt, shift);
    if (i == -1) return false;
    registrar_.Unregister(ids_[i]);
    registrar_.DeleteAtom(ids_[i]);
    keys_.erase(keys_.begin() + i);
    ctrl_.erase(ctrl_.begin() + i);
    alt_.erase(alt_.begin() + i);
    shift_.erase(shift_.begin() + i);
    ids_.erase(ids_.begin() + i);
    names_.erase(names_.begin() + i);
    return true;
}

bool HotkeyList::ClsAllHotKey() {
    stopped_ = true;
    for (int i = 1; i <= HotKeysCount(); ++i) {
        registrar_.Unregister(ids_[i]);
        registrar_.DeleteAtom(ids_[i]);
    }
    ClearLists();
    return false;
}

int HotkeyList::GetHotKeySetting(int index, int& key, bool& ctrl, bool& alt, bool& shift) const {
    if (index < 0 || index > HotKeysCount()) return -1;
    key = keys_[index];
    ctrl = ctrl_[index];
    alt = alt_[index];
    shift = shift_[index];
    return HotKeysCount();
}

std::optional<HotkeyPress> HotkeyList::Dispatch(int identifier) const {
    for (int i = 1; i <= HotKeysCount(); ++i) {
        if (ids_[i] == identifier) return HotkeyPress{i, keys_[i], ctrl_[i], alt_[i], shift_[i]};
    }
    return std::nullopt;
}

bool HotkeyList::StartHotKeys() {
    if (HotKeysCount() == 0) return false;
    stopped_ = false;
    return true;
}

}  // namespace tf
