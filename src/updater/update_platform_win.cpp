#include "updater/update_platform_win.h"

#include "base/windows_api_win.h"

#include <bcrypt.h>

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

    bool Start() override { return StartCommandLine(QuotedPath(path_), SW_SHOWNORMAL); }

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

bool WinUpdatePlatform::KeepCopy(const std::string& from, const std::string& to) {
    const std::wstring source = Widen(from);
    const std::wstring copy = Widen(to);
    DeleteFileW(copy.c_str());
    // A second name costs nothing and leaves the program under its own name; a copy where the disk
    // has no links.
    return CreateHardLinkW(copy.c_str(), source.c_str(), nullptr) || CopyFileW(source.c_str(), copy.c_str(), FALSE);
}

}  // namespace tf
