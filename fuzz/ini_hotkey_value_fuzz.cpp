// A hotkey value from "a.ini": no crash, and what it reads is written back and read the same.
#include "fuzz_check.h"
#include "hotkeys/hotkey_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tf::HotkeyValue value = tf::ParseHotkeyValue(tf::fuzz::Bytes(data, size));
    FUZZ_CHECK(tf::ParseHotkeyValue(tf::FormatHotkeyValue(value)) == value);
    tf::HotKeyText(value.key, value.ctrl, value.alt, value.shift);
    const tf::HotkeyBox box = tf::SetHotKeyBox(value.key, value.ctrl, value.alt, value.shift);
    FUZZ_CHECK(!box.IsEmpty() || box.value == tf::kNoHotkeyValue);
    return 0;
}
