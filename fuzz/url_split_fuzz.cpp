// The URL split: no crash, and the regular expression and the scan agree wherever both may run.
#include "base/url.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view address = tf::fuzz::Bytes(data, size);
    tf::ParseUrl(address);
    const std::string withScheme = "http://" + std::string(address);
    if (withScheme.size() <= tf::kRegexSplitLimit) {
        FUZZ_CHECK(tf::SplitUrlWithRegex(withScheme) == tf::SplitUrlByScan(withScheme));
    }
    return 0;
}
