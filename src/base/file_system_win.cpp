// The Windows NativeFileSystem, over the wide Win32 file API so that any path the shell can
// show works, whatever the machine's code page.
#include "base/file_system.h"
#include "base/owned_win.h"
#include "base/windows_api_win.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tf {

namespace {

FileError Win32Error(DWORD err) {
    switch (err) {
        case ERROR_FILE_NOT_FOUND:
            return MakeFileError(file_errors::kFileNotFound);
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return MakeFileError(file_errors::kPathNotFound);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return MakeFileError(file_errors::kPermissionDenied);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return MakeFileError(file_errors::kDiskFull);
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY:
            return MakeFileError(file_errors::kDeviceIo);
        default:
            return MakeFileError(file_errors::kPathFileAccess);
    }
}

// How long a replace waits for another program to let go of the file it replaces, and how often
// it tries meanwhile.
constexpr ULONGLONG kReplaceWaitMs = 1000;
constexpr DWORD kReplaceRetryMs = 20;

// One WriteFile/ReadFile call moves at most this much; larger buffers are done in pieces.
constexpr DWORD kChunk = 1u << 30;

// A file written in large amounts (a download) has its written part flushed to the disk by a
// helper thread each time this much has gone in, so that Commit has only the tail left to wait for
// instead of everything at once.
constexpr std::uint64_t kFlushEvery = 8 * 1024 * 1024;

// Writes at an explicit position on a handle opened for overlapped I/O: such a handle does not
// make a write wait for a flush running on another thread, as a handle for plain synchronous I/O
// would.
class Win32Writer final : public FileWriter {
public:
    Win32Writer(UniqueHandle file, std::uint64_t position) : file_(std::move(file)), position_(position) {}
    Win32Writer(const Win32Writer&) = delete;
    Win32Writer& operator=(const Win32Writer&) = delete;
    ~Win32Writer() override { StopFlushing(); }

    bool Write(std::string_view bytes, FileError& error) override {
        if (const DWORD failed = flushError_.load()) {
            error = Win32Error(failed);
            return false;
        }
        while (!bytes.empty()) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kChunk));
            DWORD written = 0;
            if (!WriteAt(bytes.data(), want, written)) {
                error = Win32Error(GetLastError());
                return false;
            }
            if (written == 0) {
                error = MakeFileError(file_errors::kDiskFull);
                return false;
            }
            position_ += written;
            unflushed_ += written;
            bytes.remove_prefix(written);
        }
        if (unflushed_ >= kFlushEvery) RequestFlush();
        return true;
    }

    bool Commit(FileError& error) override {
        StopFlushing();
        if (const DWORD failed = flushError_.load()) {
            error = Win32Error(failed);
            return false;
        }
        if (!FlushFileBuffers(file_.Get()) || !file_.Close()) {
            error = Win32Error(GetLastError());
            return false;
        }
        return true;
    }

private:
    bool WriteAt(const char* data, DWORD size, DWORD& written) {
        if (!event_) event_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!event_) return false;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position_);
        at.OffsetHigh = static_cast<DWORD>(position_ >> 32);
        at.hEvent = event_.Get();
        if (WriteFile(file_.Get(), data, size, nullptr, &at))
            return GetOverlappedResult(file_.Get(), &at, &written, FALSE);
        return GetLastError() == ERROR_IO_PENDING && GetOverlappedResult(file_.Get(), &at, &written, TRUE);
    }

    void RequestFlush() {
        unflushed_ = 0;
        {
            std::lock_guard<std::mutex> hold(lock_);
            flushWanted_ = true;
        }
        if (!flusher_.joinable()) flusher_ = std::thread([this] { FlushLoop(); });
        wake_.notify_one();
    }

    void FlushLoop() {
        std::unique_lock<std::mutex> hold(lock_);
        for (;;) {
            wake_.wait(hold, [this] { return flushWanted_ || stopping_; });
            if (!flushWanted_) return;
            flushWanted_ = false;
            hold.unlock();
            const bool flushed = FlushFileBuffers(file_.Get()) != 0;
            if (!flushed) flushError_ = GetLastError();
            hold.lock();
        }
    }

    // A flush asked for before still runs to its end.
    void StopFlushing() {
        if (!flusher_.joinable()) return;
        {
            std::lock_guard<std::mutex> hold(lock_);
            stopping_ = true;
        }
        wake_.notify_one();
        flusher_.join();
    }

    UniqueHandle file_;
    UniqueHandle event_;
    std::uint64_t position_;
    std::uint64_t unflushed_ = 0;
    std::mutex lock_;
    std::condition_variable wake_;
    bool flushWanted_ = false;
    bool stopping_ = false;
    std::atomic<DWORD> flushError_{0};
    std::thread flusher_;
};

class Win32FileSystem final : public FileSystem {
public:
    bool FileExists(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) != 0 &&
               (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    std::optional<std::string> ReadAll(const std::string& path, FileError& error) override {
        UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) return Fail(error);
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size)) return Fail(error);
        std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunk));
            DWORD got = 0;
            if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr)) return Fail(error);
            if (got == 0) break;  // shorter than its size said: it shrank meanwhile
            done += got;
        }
        bytes.resize(done);
        return bytes;
    }

    bool WriteNew(const std::string& path, std::string_view bytes, FileError& error) override {
        UniqueHandle file(
            CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return Failed(error);
        while (!bytes.empty()) {
            DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kChunk));
            DWORD written = 0;
            if (!WriteFile(file.Get(), bytes.data(), want, &written, nullptr)) return Failed(error);
            if (written == 0) {
                error = MakeFileError(file_errors::kDiskFull);
                return false;
            }
            bytes.remove_prefix(written);
        }
        // The bytes must be on the disk before the file may replace the vault.
        if (!FlushFileBuffers(file.Get()) || !file.Close()) return Failed(error);
        return true;
    }

    bool Replace(const std::string& from, const std::string& to, FileError& error) override {
        // A file that another program has open cannot be replaced, even when it shares it: an
        // indexer, a virus scanner or a backup that reads the vault for a moment would fail the
        // save. Such a hold is waited out for a short while.
        const ULONGLONG deadline = GetTickCount64() + kReplaceWaitMs;
        for (;;) {
            // WRITE_THROUGH: the call returns only once the rename is on the disk.
            if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
            const DWORD err = GetLastError();
            const bool held =
                err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION;
            if (!held || GetTickCount64() >= deadline) {
                SetLastError(err);
                return Failed(error);
            }
            Sleep(kReplaceRetryMs);
        }
    }

    bool DeleteFile(const std::string& path) override { return DeleteFileW(Widen(path).c_str()) != 0; }

    std::optional<std::uint64_t> Length(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return std::nullopt;
        }
        return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    std::unique_ptr<FileWriter> OpenWriter(const std::string& path, std::uint64_t keep, FileError& error) override {
        // Only a writer that starts from nothing may create the file.
        UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      keep == 0 ? OPEN_ALWAYS : OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
        if (!file) {
            const DWORD err = GetLastError();
            error =
                err == ERROR_FILE_NOT_FOUND && keep > 0 ? MakeFileError(file_errors::kInputPastEnd) : Win32Error(err);
            return nullptr;
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size)) {
            error = Win32Error(GetLastError());
            return nullptr;
        }
        if (static_cast<std::uint64_t>(size.QuadPart) < keep) {
            error = MakeFileError(file_errors::kInputPastEnd);
            return nullptr;
        }
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(keep);
        if (!SetFileInformationByHandle(file.Get(), FileEndOfFileInfo, &end, sizeof(end))) {
            error = Win32Error(GetLastError());
            return nullptr;
        }
        return std::make_unique<Win32Writer>(std::move(file), keep);
    }

    bool Rename(const std::string& from, const std::string& to, FileError& error) override {
        // Without MOVEFILE_REPLACE_EXISTING the call refuses a name that is taken.
        if (!MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_WRITE_THROUGH)) return Failed(error);
        return true;
    }

private:
    static std::nullopt_t Fail(FileError& error) {
        error = Win32Error(GetLastError());
        return std::nullopt;
    }
    static bool Failed(FileError& error) {
        error = Win32Error(GetLastError());
        return false;
    }
};

}  // namespace

FileSystem& NativeFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

}  // namespace tf
