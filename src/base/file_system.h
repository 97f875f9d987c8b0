// The files the core reads and writes go through this port: the Windows build passes an adapter
// over the Win32 file API, host tests a real POSIX one or a fake that fails on demand.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The Windows headers make DeleteFile a macro; the port's own DeleteFile must keep its name.
#ifdef DeleteFile
#undef DeleteFile
#endif

namespace tf {

// A failure in the runtime's terms: its error number and description, as the user is shown them.
struct FileError {
    int code = 0;
    std::string description;
};

// Error numbers the program reports (the runtime's classic numbering).
namespace file_errors {
inline constexpr int kOutOfMemory = 7;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDiskFull = 61;
inline constexpr int kInputPastEnd = 62;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kDeviceIo = 57;
}  // namespace file_errors

// The error with the runtime's description of that number ("File not found", ...).
FileError MakeFileError(int code);

// A file open for writing, held without sharing until it is destroyed (which closes it and keeps what
// was written).
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Appends all bytes; on failure (a full disk) the file keeps the part that went in.
    virtual bool Write(std::string_view bytes, FileError& error) = 0;
    // Flushes the bytes to the disk and closes the file; no Write may follow.
    virtual bool Commit(FileError& error) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True when the file's length can be obtained (an empty file exists).
    virtual bool FileExists(const std::string& path) = 0;
    virtual std::optional<std::string> ReadAll(const std::string& path, FileError& error) = 0;
    // Creates or truncates the file, writes all bytes and flushes them to the disk.
    virtual bool WriteNew(const std::string& path, std::string_view bytes, FileError& error) = 0;
    // Gives `from` the name `to` in one step, replacing a file of that name if there is one.
    virtual bool Replace(const std::string& from, const std::string& to, FileError& error) = 0;
    // True when the file was deleted; never reports.
    virtual bool DeleteFile(const std::string& path) = 0;
    // The file's length in bytes; empty when there is no such file (or it is a folder).
    virtual std::optional<std::uint64_t> Length(const std::string& path) = 0;
    // Opens the file for writing, creating it when missing; keeps its first `keep` bytes, drops the rest and
    // writes on from there. Fails, changing nothing, when the file holds fewer than `keep` bytes.
    virtual std::unique_ptr<FileWriter> OpenWriter(const std::string& path, std::uint64_t keep, FileError& error) = 0;
    // Gives `from` the name `to`; fails, changing nothing, when `to` exists.
    virtual bool Rename(const std::string& from, const std::string& to, FileError& error) = 0;
};

// The running platform's file system (POSIX on the host, Win32 in the Windows build).
FileSystem& NativeFileSystem();

// Joins a folder and a file name with the platform's separator.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tf
