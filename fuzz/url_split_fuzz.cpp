// The URL split: no crash, and the regular expression and the scan agree wherever both may run.
// The editor's normal form of a login address is a fixed point, in each scheme: normalising a
// normal form changes nothing, and what normalising gives is recognised as normal. The https form
// the lookup builds for a page keeps the page's host.
#include "autofill/browser_watch.h"
#include "base/text.h"
#include "base/url.h"
#include "fuzz_check.h"
#include "records/record_editor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view address = tf::fuzz::Bytes(data, size);
    tf::ParseUrl(address);
    const std::string withScheme = "http://" + std::string(address);
    if (withScheme.size() <= tf::kRegexSplitLimit) {
        FUZZ_CHECK(tf::SplitUrlWithRegex(withScheme) == tf::SplitUrlByScan(withScheme));
    }

    for (tf::LoginScheme scheme : {tf::LoginScheme::kAsWritten, tf::LoginScheme::kPlain, tf::LoginScheme::kSecure}) {
        const std::string normal = tf::NormaliseLoginUrl(address, scheme).url;
        FUZZ_CHECK(tf::IsNormalLoginUrl(normal));
        FUZZ_CHECK(tf::NormaliseLoginUrl(normal, scheme).url == normal);
        // An OK on an edited record's address box that still holds the stored address.
        FUZZ_CHECK(tf::NormaliseLoginUrl(normal).url == normal || scheme != tf::LoginScheme::kAsWritten);
        // A stored address is found by the lookup as it stands (both compare without end spaces).
        if (tf::TrimSpaces(normal) == normal) FUZZ_CHECK(tf::LookupForm(normal, scheme) == normal);
    }
    // Only an address that says https gets the https form; only a plain one is normal in the plain form.
    FUZZ_CHECK(tf::HasSecureScheme(address) == tf::NormaliseLoginUrl(address).url.starts_with("https://"));

    const std::string secure = tf::SecureLookupForm(address);
    if (!secure.empty()) {
        FUZZ_CHECK(tf::IsNormalLoginUrl(secure) && secure.starts_with("https://"));
        const std::string page = "https://" + std::string(tf::TrimSpaces(address).substr(8));
        FUZZ_CHECK(tf::ParseUrl(secure).Host == tf::ParseUrl(page).Host);
    }
    return 0;
}
