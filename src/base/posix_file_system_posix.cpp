// The host's NativeFileSystem, over POSIX calls; it lets the core's file logic run against a real
// disk in the host tests and benchmarks.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_system.h"

namespace tf {

namespace {

FileError ErrnoError(int err) {
    switch (err) {
        case ENOENT:
            return MakeFileError(file_errors::kFileNotFound);
        case ENOTDIR:
            return MakeFileError(file_errors::kPathNotFound);
        case EACCES:
        case EPERM:
        case EROFS:
        case EBUSY:
            return MakeFileError(file_errors::kPermissionDenied);
        case ENOSPC:
        case EDQUOT:
            return MakeFileError(file_errors::kDiskFull);
        case EIO:
            return MakeFileError(file_errors::kDeviceIo);
        default:
            return MakeFileError(file_errors::kPathFileAccess);
    }
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Hands the descriptor over to another owner.
    int Release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now so that a failing close (a delayed write error) can be reported.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The folder part of a path, for flushing the rename itself to the disk.
std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

class PosixWriter final : public FileWriter {
public:
    explicit PosixWriter(int fd) : fd_(fd) {}

    bool Write(std::string_view bytes, FileError& error) override {
        while (!bytes.empty()) {
            ssize_t n = ::write(fd_.get(), bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                error = ErrnoError(errno);
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    bool Commit(FileError& error) override {
        if (::fsync(fd_.get()) != 0 || !fd_.Close()) {
            error = ErrnoError(errno);
            return false;
        }
        return true;
    }

private:
    Fd fd_;
};

class PosixFileSystem final : public FileSystem {
public:
    bool FileExists(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    }

    std::optional<std::string> ReadAll(const std::string& path, FileError& error) override {
        Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) return Fail(error);
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) return Fail(error);
        if (S_ISDIR(st.st_mode)) {
            error = MakeFileError(file_errors::kPathFileAccess);
            return std::nullopt;
        }
        std::string bytes;
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        for (;;) {
            if (done == bytes.size()) bytes.resize(bytes.size() + 4096);  // the file grew meanwhile
            ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return Fail(error);
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        return bytes;
    }

    bool WriteNew(const std::string& path, std::string_view bytes, FileError& error) override {
        Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (fd.get() < 0) {
            // With O_CREAT only a missing folder gives ENOENT.
            error = errno == ENOENT ? MakeFileError(file_errors::kPathNotFound) : ErrnoError(errno);
            return false;
        }
        while (!bytes.empty()) {
            ssize_t n = ::write(fd.get(), bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                return Failed(error);
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        if (::fsync(fd.get()) != 0 || !fd.Close()) return Failed(error);
        return true;
    }

    bool Replace(const std::string& from, const std::string& to, FileError& error) override {
        if (::rename(from.c_str(), to.c_str()) != 0) return Failed(error);
        // The new name is only durable once the folder is flushed; the rename has happened
        // either way, so a failure here is not reported.
        Fd dir(::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0) ::fsync(dir.get());
        return true;
    }

    bool DeleteFile(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    std::optional<std::uint64_t> Length(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
        return static_cast<std::uint64_t>(st.st_size);
    }

    std::unique_ptr<FileWriter> OpenWriter(const std::string& path, std::uint64_t keep, FileError& error) override {
        // Only a writer that starts from nothing may create the file.
        const int create = keep == 0 ? O_CREAT : 0;
        Fd fd(::open(path.c_str(), O_WRONLY | create | O_CLOEXEC, 0644));
        if (fd.get() < 0) {
            error = errno == ENOENT && keep > 0 ? MakeFileError(file_errors::kInputPastEnd) : ErrnoError(errno);
            return nullptr;
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) return Refused(error);
        if (S_ISDIR(st.st_mode)) {
            error = MakeFileError(file_errors::kPathFileAccess);
            return nullptr;
        }
        if (static_cast<std::uint64_t>(st.st_size) < keep) {
            error = MakeFileError(file_errors::kInputPastEnd);
            return nullptr;
        }
        const auto offset = static_cast<off_t>(keep);
        if (::ftruncate(fd.get(), offset) != 0 || ::lseek(fd.get(), offset, SEEK_SET) != offset) return Refused(error);
        auto writer = std::make_unique<PosixWriter>(fd.get());
        fd.Release();
        return writer;
    }

    bool Rename(const std::string& from, const std::string& to, FileError& error) override {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno != EINVAL) return Failed(error);
            // A file system without the flag: a second link, then the old name goes.
            if (::link(from.c_str(), to.c_str()) != 0) return Failed(error);
            ::unlink(from.c_str());
        }
        return true;
    }

private:
    static std::nullptr_t Refused(FileError& error) {
        error = ErrnoError(errno);
        return nullptr;
    }
    static std::nullopt_t Fail(FileError& error) {
        error = ErrnoError(errno);
        return std::nullopt;
    }
    static bool Failed(FileError& error) {
        error = ErrnoError(errno);
        return false;
    }
};

}  // namespace

FileSystem& NativeFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace tf
