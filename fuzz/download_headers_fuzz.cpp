// The download's handling of response headers (Content-Range, Content-Length) and body: a data
// file of some length is resumed, the server answers with any status, headers and bytes. No
// crash, and a finished file holds the kept part and then exactly the bytes that came.
#include <iterator>
#include <string>
#include <utility>  // the fake transport uses std::exchange

#include "fuzz_check.h"
#include "updater/download.h"
#include "updater/download_names.h"
#include "updater/fake_download_world.h"

namespace {

constexpr char kTarget[] = "C:\\app\\setup.exe";
constexpr char kUrl[] = "http://host/setup.exe";
constexpr int kStatuses[] = {200, 206, 416, 302, 404, 500};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int status = kStatuses[data[0] % std::size(kStatuses)];
    const std::size_t kept = data[1] % 8;
    std::string_view input = tf::fuzz::Bytes(data + 2, size - 2);
    const std::string headers(tf::fuzz::TakeUntilNul(input));
    const std::string_view body = input;

    // The parsers on their own first.
    if (auto range = tf::HeaderValue(headers, "Content-Range")) tf::ParseContentRange(*range);
    if (auto length = tf::HeaderValue(headers, "Content-Length")) tf::ParseByteCount(*length);

    tf::testing::MemoryFiles files;
    tf::testing::FakeTransport transport;
    tf::testing::FakeClock clock;
    const std::string keptBytes(kept, 'k');
    if (kept > 0) {
        files.files[std::string(kTarget) + ".dl"] = keptBytes;
        files.files[std::string(kTarget) + ".dl.cfg"] = kUrl;
    }
    tf::Download download(transport, files, clock, [] {});
    download.FileName = kTarget;
    download.URL = kUrl;
    std::int16_t last = 0;
    download.StateChanged = [&last](std::int16_t state) { last = state; };
    download.GetStart();
    transport.Respond(status, headers);
    // The body arrives in two chunks.
    transport.Send(body.substr(0, body.size() / 2));
    transport.Send(body.substr(body.size() / 2));
    transport.End();
    if (last == tf::download_state::kFinished) {
        const auto it = files.files.find(kTarget);
        FUZZ_CHECK(it != files.files.end());
        FUZZ_CHECK(it->second == (status == 206 ? keptBytes : std::string()) + std::string(body) ||
                   it->second == std::string(body) || status == 416);
    }
    return 0;
}
