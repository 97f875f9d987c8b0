// A registrar that keeps the system's side in memory: one atom per name, as the global table does
// (names that differ only in letter case are one name there), and combinations that another
// program already holds.
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "hotkeys/hotkey_list.h"

namespace tf {

class FakeHotkeyRegistrar : public HotkeyRegistrar {
public:
    bool Register(int id, unsigned modifiers, unsigned key) override {
        const std::pair<unsigned, unsigned> combination{modifiers, key};
        if (heldElsewhere.count(combination) != 0 || registered.count(id) != 0) return false;
        for (const auto& [otherId, other] : registered) {
            if (other == combination) return false;
        }
        registered[id] = combination;
        return true;
    }
    void Unregister(int id) override { registered.erase(id); }
    int AddAtom(const std::string& name) override {
        if (name.empty()) return 0;
        auto it = atoms.find(name);
        if (it == atoms.end()) it = atoms.emplace(name, Atom{nextAtom++, 0}).first;
        ++it->second.references;
        return it->second.id;
    }
    void DeleteAtom(int atom) override {
        for (auto it = atoms.begin(); it != atoms.end(); ++it) {
            if (it->second.id == atom && --it->second.references == 0) {
                atoms.erase(it);
                return;
            }
        }
    }

    struct Atom {
        int id;
        int references;
    };
    struct Caseless {
        bool operator()(const std::string& a, const std::string& b) const {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
            });
        }
    };
    std::map<std::string, Atom, Caseless> atoms;
    std::map<int, std::pair<unsigned, unsigned>> registered;
    std::set<std::pair<unsigned, unsigned>> heldElsewhere;
    int nextAtom = 0xC000;
};

}  // namespace tf
