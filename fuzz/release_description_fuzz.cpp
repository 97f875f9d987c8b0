// The release description the updater fetches and its signed fields: no crash, a signed release it
// accepts has a 64-byte signature and states the description's own name and version, and a file
// name it accepts stays inside the folder.
#include "fuzz_check.h"
#include "updater/release_info.h"
#include "updater/release_statement.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body = tf::fuzz::Bytes(data, size);
    tf::ReleaseFields fields;
    tf::ApplyReleaseDescription(tf::AnsiToUtf8(body), fields);
    if (const auto signed_ =
            tf::ParseSignedRelease(fields.Text2, fields.v, fields.bytes, fields.sha256, fields.signature)) {
        FUZZ_CHECK(signed_->signature.size() == 64);
        FUZZ_CHECK(signed_->statement.name == fields.Text2 && signed_->statement.version == fields.v);
        FUZZ_CHECK(tf::StatementText(signed_->statement).starts_with("Tamborvin Form release\n"));
    }
    if (tf::IsPlainFileName(fields.Text2)) {
        FUZZ_CHECK(fields.Text2.find_first_of("\\/:") == std::string::npos && fields.Text2 != "..");
        FUZZ_CHECK(tf::SavePath("C:\\app", fields.Text2) == "C:\\app\\" + fields.Text2);
    }
    tf::ParseVersion(body);
    if (const auto hex = tf::ParseHex(body, 32)) FUZZ_CHECK(hex->size() == 32);
    return 0;
}
