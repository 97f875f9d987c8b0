// The hotkey text of any key code and flags, and of any key-down: no crash, and the box's value
// reads back as the combination it shows.
#include <cstring>

#include "fuzz_check.h"
#include "hotkeys/hotkey_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int numbers[4] = {};
    std::memcpy(numbers, data, std::min(size, sizeof numbers));
    const auto [key, ctrl, alt, shift] = numbers;
    tf::HotKeyText(key, ctrl, alt, shift);
    tf::SetHotKeyBox(key, ctrl, alt, shift);
    const tf::HotkeyBox box = tf::HotkeyBoxAfterKeyDown(key, ctrl);
    if (!box.IsEmpty()) {
        const tf::HotkeyValue value = tf::ParseHotkeyValue(box.value);
        FUZZ_CHECK(tf::SetHotKeyBox(value.key, value.ctrl, value.alt, value.shift) == box);
    }
    tf::IsRegistrable(box);
    return 0;
}
