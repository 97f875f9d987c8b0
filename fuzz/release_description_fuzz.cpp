// The release description the updater fetches and its signature field: no crash, a signature is
// 64 bytes or nothing, and a file name it accepts stays inside the folder.
#include "fuzz_check.h"
#include "updater/release_info.h"
#include "updater/release_statement.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body = tf::fuzz::Bytes(data, size);
    tf::ReleaseFields fields;
    tf::ApplyReleaseDescription(tf::AnsiToUtf8(body), fields);
    if (const auto signature = tf::ParseHex(fields.signature, 64)) FUZZ_CHECK(signature->size() == 64);
    if (tf::IsPlainFileName(fields.Text2)) {
        FUZZ_CHECK(fields.Text2.find_first_of("\\/:") == std::string::npos && fields.Text2 != "..");
        FUZZ_CHECK(tf::SavePath("C:\\app", fields.Text2) == "C:\\app\\" + fields.Text2);
    }
    if (const auto signature = tf::ParseHex(body, 64)) FUZZ_CHECK(signature->size() == 64);
    return 0;
}
