// Writes src/base/cp936_table.cpp from the platform's own code page 936 converter, which differs
// from other GBK tables (0x80 is the euro sign, 0xFF and the user-defined areas map to private
// use characters). A Windows console program; see README.md beside it for the command.
//
// Every single byte and every lead 0x81..0xFE x trail 0x40..0xFE is asked of
// MultiByteToWideChar(936, MB_ERR_INVALID_CHARS). Where several codes give one character, the
// code WideCharToMultiByte(936) gives for that character is listed as the preferred one.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr unsigned kFirstLead = 0x81, kLastLead = 0xFE, kFirstTrail = 0x40, kLastTrail = 0xFE;
constexpr unsigned kTrails = kLastTrail - kFirstTrail + 1;

// The character these bytes stand for, or 0 when the converter has none. A converter may let an
// unassigned code through as its default character ('?' or U+30FB) instead of failing; such a
// result counts as unassigned unless the reverse conversion names the same code.
unsigned Decode(const char* bytes, int length, unsigned code) {
    WCHAR out[4] = {};
    int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes, length, out, 4);
    if (n != 1) return 0;
    unsigned c = out[0];
    if ((c == u'?' && code != '?') || c == 0x30FB) {
        char back[4] = {};
        BOOL usedDefault = FALSE;
        WCHAR w = static_cast<WCHAR>(c);
        int m = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &w, 1, back, 4, nullptr, &usedDefault);
        unsigned backCode =
            m == 1 ? static_cast<unsigned char>(back[0])
                   : (m == 2 ? static_cast<unsigned char>(back[0]) * 256u + static_cast<unsigned char>(back[1]) : 0u);
        if (usedDefault || backCode != code) return 0;
    }
    return c;
}

// The code WideCharToMultiByte(936) gives for the character, or 0 when it has none.
unsigned Encode(unsigned c) {
    WCHAR w = static_cast<WCHAR>(c);
    char out[4] = {};
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &w, 1, out, 4, nullptr, &usedDefault);
    if (usedDefault || n < 1 || n > 2) return 0;
    if (n == 1) return static_cast<unsigned char>(out[0]);
    return static_cast<unsigned char>(out[0]) * 256u + static_cast<unsigned char>(out[1]);
}

void WriteArray(FILE* f, const char* declaration, const std::vector<unsigned>& values) {
    std::fprintf(f, "%s = {\n", declaration);
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::fprintf(f, "%s0x%04X,%s", i % 13 == 0 ? "    " : " ", values[i], i % 13 == 12 ? "\n" : "");
    }
    if (values.size() % 13 != 0) std::fprintf(f, "\n");
    std::fprintf(f, "};\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_cp936_table OUTPUT.cpp\n");
        return 2;
    }
    std::vector<unsigned> single(128);  // bytes 0x80..0xFF
    std::vector<unsigned> doubles((kLastLead - kFirstLead + 1) * kTrails);
    std::map<unsigned, std::vector<unsigned>> codesOf;  // character -> every code that gives it

    for (unsigned b = 0; b < 256; ++b) {
        char bytes[1] = {static_cast<char>(b)};
        unsigned c = Decode(bytes, 1, b);
        if (b < 0x80) {
            if (c != b) {
                std::fprintf(stderr, "byte 0x%02X is not ASCII (U+%04X)\n", b, c);
                return 1;
            }
            continue;
        }
        single[b - 0x80] = c;
        if (c != 0) codesOf[c].push_back(b);
    }
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
        for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            unsigned code = lead * 256 + trail;
            unsigned c = Decode(bytes, 2, code);
            doubles[(lead - kFirstLead) * kTrails + (trail - kFirstTrail)] = c;
            if (c != 0) codesOf[c].push_back(code);
        }
    }

    // Characters with several codes: the reverse conversion decides.
    std::vector<unsigned> preferred;
    int assigned = 0;
    for (const auto& [c, codes] : codesOf) {
        assigned += static_cast<int>(codes.size());
        if (codes.size() < 2) continue;
        unsigned pick = Encode(c);
        bool known = false;
        for (unsigned code : codes) known = known || code == pick;
        if (!known) {
            std::fprintf(stderr, "U+%04X: reverse gives 0x%04X, not one of its %zu codes; first taken\n", c, pick,
                         codes.size());
            pick = codes.front();
        }
        std::fprintf(stderr, "U+%04X has %zu codes, preferred 0x%04X\n", c, codes.size(), pick);
        preferred.push_back(c);
        preferred.push_back(pick);
    }
    // Characters the reverse conversion encodes although no code decodes to them (best fit);
    // the table leaves them without a code so that every encoded character decodes back.
    for (unsigned c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        unsigned code = Encode(c);
        if (code != 0 && codesOf.find(c) == codesOf.end()) {
            std::fprintf(stderr, "U+%04X encodes to 0x%04X but no code decodes to it\n", c, code);
        }
    }
    std::fprintf(stderr, "%d codes, %zu characters, %zu with several codes\n", assigned, codesOf.size(),
                 preferred.size() / 2);

    FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::fprintf(f,
                 "// Generated by tools/cp936/gen_cp936_table.cpp from the platform's code page 936 converter; do "
                 "not edit.\n"
                 "// Regenerate as tools/cp936/README.md says.\n"
                 "#include \"base/cp936_table.h\"\n\n"
                 "namespace tf::cp936::table {\n\n");
    WriteArray(f, "const std::array<char16_t, kSingleByteCount> kSingleByte", single);
    std::fprintf(f, "\n");
    WriteArray(f, "const std::array<char16_t, kDoubleByteCount> kDoubleByte", doubles);
    std::fprintf(f, "\n");
    std::fprintf(f, "namespace {\n\nconstexpr std::array<Preferred, %zu> kPreferredList = {{%s", preferred.size() / 2,
                 preferred.empty() ? "" : "\n");
    for (std::size_t i = 0; i < preferred.size(); i += 2) {
        std::fprintf(f, "    {0x%04X, 0x%04X},\n", preferred[i], preferred[i + 1]);
    }
    std::fprintf(f,
                 "}};\n\n}  // namespace\n\n"
                 "const std::span<const Preferred> kPreferred = kPreferredList;\n\n"
                 "}  // namespace tf::cp936::table\n");
    std::fclose(f);
    return 0;
}
