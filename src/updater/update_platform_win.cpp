#include "updater/update_platform_win.h"

#include "base/windows_api_win.h"

#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/shell_start_win.h"

namespace tf {
namespace {

// MinGW's headers leave out the status codes; the value is that of ntstatus.h.
constexpr NTSTATUS kSuccess = 0;
// Read in pieces: a file of any size is hashed in a fixed amount of memory.
constexpr DWORD kReadPiece = 1 << 20;

class Algorithm {
public:
    explicit Algorithm(const wchar_t* id) {
        if (BCryptOpenAlgorithmProvider(&handle_, id, nullptr, 0) != kSuccess) handle_ = nullptr;
    }
    ~Algorithm() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class Hash {
public:
    Hash() : sha_(BCRYPT_SHA256_ALGORITHM) {
        if (!sha_.get() || BCryptCreateHash(sha_.get(), &hash_, nullptr, 0, nullptr, 0, 0) != kSuccess) hash_ = nullptr;
    }
    ~Hash() {
        if (hash_) BCryptDestroyHash(hash_);
    }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    bool Add(const void* bytes, ULONG size) {
        return hash_ && BCryptHashData(hash_, static_cast<PUCHAR>(const_cast<void*>(bytes)), size, 0) == kSuccess;
    }
    bool Finish(Sha256Digest& digest) {
        return hash_ && BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0) == kSuccess;
    }

private:
    Algorithm sha_;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
};

// Opened for reading and renaming, shared with readers only (the loader reads the image when the
// program starts): nobody can write, delete or rename the file while it is held.
class WinHeldProgram final : public HeldProgram {
public:
    WinHeldProgram(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}
    ~WinHeldProgram() override { CloseHandle(file_); }
    WinHeldProgram(const WinHeldProgram&) = delete;
    WinHeldProgram& operator=(const WinHeldProgram&) = delete;

    bool Load(std::uint64_t maxSize) {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file_, &size) || static_cast<std::uint64_t>(size.QuadPart) > maxSize) return false;
        Hash hash;
        std::vector<char> piece(kReadPiece);
        std::uint64_t total = 0;
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file_, piece.data(), kReadPiece, &got, nullptr)) return false;
            if (got == 0) break;
            total += got;
            if (total > maxSize || !hash.Add(piece.data(), got)) return false;
        }
        size_ = total;
        return hash.Finish(digest_);
    }

    std::uint64_t Size() const override { return size_; }
    const Sha256Digest& Sha256() const override { return digest_; }

    bool MoveTo(const std::string& path) override {
        // Renamed through this handle, so the file renamed is the file hashed.
        const std::wstring target = Widen(path);
        std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = TRUE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        std::memcpy(info->FileName, target.data(), info->FileNameLength);
        if (!SetFileInformationByHandle(file_, FileRenameInfo, info, static_cast<DWORD>(buffer.size()))) return false;
        path_ = path;
        return true;
    }

    // A program written a moment ago may still be opened by a scanner (on Windows) or the file
    // server (under Wine): a start that fails is tried twice more before the old one comes back.
    bool Start() override {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0) Sleep(250);
            if (StartCommandLine(QuotedPath(path_), SW_SHOWNORMAL)) return true;
        }
        return false;
    }

private:
    HANDLE file_;
    std::string path_;
    std::uint64_t size_ = 0;
    Sha256Digest digest_{};
};

std::optional<Version> VersionOf(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof(*fixed)) {
        return std::nullopt;
    }
    return Version{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                   LOWORD(fixed->dwFileVersionLS)};
}

bool ReadAt(HANDLE file, std::uint64_t offset, void* bytes, DWORD size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return ReadFile(file, bytes, size, &got, &at) && got == size;
}

template <typename T>
T Little(const unsigned char* bytes) {
    T value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>(value << 8 | bytes[i]);
    return value;
}

// Where the program's last part ends, from its headers: its sections, the symbols and names the
// headers point to (long section names live there) and an Authenticode signature. Empty when the
// headers are not those of a program.
std::optional<std::uint64_t> ImageEnd(HANDLE file) {
    constexpr std::uint32_t kMaxHeaderOffset = 1 << 16;
    constexpr std::uint16_t kMaxSections = 96;
    constexpr DWORD kCoffSize = 24;  // with the "PE\0\0" before it
    constexpr DWORD kSectionSize = 40;
    constexpr DWORD kSymbolSize = 18;
    unsigned char dos[64];
    if (!ReadAt(file, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
    const auto pe = Little<std::uint32_t>(dos + 0x3c);
    unsigned char coff[kCoffSize];
    if (pe > kMaxHeaderOffset || !ReadAt(file, pe, coff, sizeof coff) || std::memcmp(coff, "PE\0\0", 4) != 0) {
        return std::nullopt;
    }
    const auto sections = Little<std::uint16_t>(coff + 6);
    const auto symbols = Little<std::uint32_t>(coff + 12);
    const auto symbolCount = Little<std::uint32_t>(coff + 16);
    const auto optionalSize = Little<std::uint16_t>(coff + 20);
    if (sections == 0 || sections > kMaxSections) return std::nullopt;
    std::vector<unsigned char> headers(optionalSize + sections * kSectionSize);
    if (!ReadAt(file, std::uint64_t{pe} + kCoffSize, headers.data(), static_cast<DWORD>(headers.size()))) {
        return std::nullopt;
    }
    std::uint64_t end = 0;
    for (std::uint16_t i = 0; i < sections; ++i) {
        const unsigned char* section = headers.data() + optionalSize + i * kSectionSize;
        end = std::max<std::uint64_t>(
            end, std::uint64_t{Little<std::uint32_t>(section + 20)} + Little<std::uint32_t>(section + 16));
    }
    if (symbols != 0) {
        const std::uint64_t names = std::uint64_t{symbols} + std::uint64_t{symbolCount} * kSymbolSize;
        unsigned char length[4];
        if (!ReadAt(file, names, length, sizeof length)) return std::nullopt;
        end = std::max<std::uint64_t>(end, names + std::max<std::uint32_t>(Little<std::uint32_t>(length), 4));
    }
    // The signature's entry among the data directories, which follow 96 bytes of a 32-bit optional
    // header and 112 of a 64-bit one; its address is a place in the file.
    const std::size_t directories = optionalSize >= 2 && Little<std::uint16_t>(headers.data()) == 0x20b ? 112 : 96;
    constexpr std::size_t kSignatureEntry = 4 * 8;
    if (optionalSize >= directories + kSignatureEntry + 8) {
        const unsigned char* entry = headers.data() + directories + kSignatureEntry;
        end = std::max<std::uint64_t>(end,
                                      std::uint64_t{Little<std::uint32_t>(entry)} + Little<std::uint32_t>(entry + 4));
    }
    return end;
}

}  // namespace

std::unique_ptr<HeldProgram> WinUpdatePlatform::Hold(const std::string& path, std::uint64_t maxSize) {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    auto held = std::make_unique<WinHeldProgram>(file, path);
    if (!held->Load(maxSize)) return nullptr;
    return held;
}

bool WinUpdatePlatform::SignatureValid(const std::string& statement, const std::vector<std::uint8_t>& signature) {
    const auto point = ParseHex(key_, 64);
    if (!point || signature.size() != 64) return false;
    Hash hash;
    Sha256Digest digest{};
    if (!hash.Add(statement.data(), static_cast<ULONG>(statement.size())) || !hash.Finish(digest)) return false;

    std::vector<std::uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB));
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = 32;
    blob.insert(blob.end(), point->begin(), point->end());
    Algorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!ecdsa.get() || BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                                            static_cast<ULONG>(blob.size()), 0) != kSuccess) {
        return false;
    }
    std::vector<std::uint8_t> sig = signature;
    const bool valid = BCryptVerifySignature(key, nullptr, digest.data(), static_cast<ULONG>(digest.size()), sig.data(),
                                             static_cast<ULONG>(sig.size()), 0) == kSuccess;
    BCryptDestroyKey(key);
    return valid;
}

std::optional<Version> WinUpdatePlatform::ProgramVersion(const std::string& path) { return VersionOf(Widen(path)); }

Version WinUpdatePlatform::OwnVersion() {
    wchar_t exe[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return VersionOf(std::wstring(exe, length)).value_or(Version{});
}

bool WinUpdatePlatform::ProgramComplete(const std::string& path) {
    if (!ProgramVersion(path)) return false;
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    const auto end = ImageEnd(file);
    const bool whole = GetFileSizeEx(file, &size) && end && *end <= static_cast<std::uint64_t>(size.QuadPart);
    CloseHandle(file);
    return whole;
}

bool WinUpdatePlatform::Link(const std::string& from, const std::string& to) {
    return CreateHardLinkW(Widen(to).c_str(), Widen(from).c_str(), nullptr) != FALSE;
}

}  // namespace tf
