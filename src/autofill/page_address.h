// What current browsers hand out as the page address, made comparable with the addresses the user
// stored: they escape a path's non-ASCII characters as UTF-8 ("%E7%99%BB"), write international
// host names in their ASCII form ("xn--..."), and are recognised by the name of their program.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tf {

// Percent escapes decoded as UTF-8. A run of escapes that does not form UTF-8 stays as it stands,
// and so does every escape of a character below 0x20 or of "%" itself, which a decoded address
// could not tell apart from the text around it.
std::string DecodePercentUtf8(std::string_view text);

// Where the part of the address that names the site (scheme, user name, host and port) ends: at
// the first "/", "?" or "#" after the "//" of the scheme, or from the start when there is none.
std::size_t HostEnd(std::string_view address);
// The address with its escapes decoded after HostEnd only: an escape in the host ("bank%2ecom",
// "bank.com%2f@evil.net") stays as written, so that decoding never makes another site's address
// look like a stored one.
std::string DecodeAfterHost(std::string_view address, std::string (*decode)(std::string_view));

// The host's "xn--" labels in the characters they stand for; nothing when the address has none or
// one of them is not valid: not punycode, not the one encoding of what it decodes to, or standing
// for plain ASCII ("xn--bank-" is not "bank"), so such a host is only ever compared as read.
std::optional<std::string> WithUnicodeHost(std::string_view address);

// Whether the program of that executable name ("C:\...\msedge.exe" or just its name, any letter
// case) is one the named reader reads: "Chrome" reads Chrome, Edge, Brave, Vivaldi and Chromium,
// "Opera16" Opera, "firefox" Firefox, "Internet Explorer" Internet Explorer. Programs built on the
// same window classes (chat programs, editors, mail clients) are none of them.
bool IsBrowserProgram(std::string_view readerName, std::string_view exePath);

// The browser's own name for a program the readers read ("Edge" for msedge.exe); empty otherwise.
std::string BrowserProgramName(std::string_view exePath);

// Only web pages are pages to log in to: developer tools, the browser's own pages and side bars
// show documents of other schemes.
bool IsWebPageAddress(std::string_view address);

// How a shown document ranks as the page a browser window shows, when the window shows several
// (the page beside docked developer tools, a side bar, the other half of a split view): web pages
// before other documents, then the one that takes more room on the screen.
struct PageRank {
    bool webPage = false;
    long long area = 0;
};
PageRank RankPage(std::string_view address, long long area);
bool Outranks(const PageRank& a, const PageRank& b);

}  // namespace tf
