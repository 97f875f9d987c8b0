// An in-memory FileSystem whose every call can be made to fail, or to stop the program the way
// a crash or a power cut would, so that a save can be interrupted at each of its steps.
#pragma once

#include <map>
#include <new>
#include <string>
#include <vector>

#include "base/file_system.h"

namespace tf::testing {

// Thrown out of the file system when the simulated program stops.
struct Crash {};

class FakeFileSystem final : public FileSystem {
public:
    std::map<std::string, std::string> files;
    // Every call, in order, as "Name(path)".
    std::vector<std::string> calls;
    // The call with this index (0-based) fails, or stops the program; -1 for none.
    int failAt = -1;
    int crashAt = -1;
    // ReadAll cannot allocate the file's bytes.
    bool outOfMemory = false;

    bool FileExists(const std::string& path) override {
        if (Interrupted("FileExists(" + path + ")")) return false;
        return files.count(path) != 0;
    }

    std::optional<std::string> ReadAll(const std::string& path, FileError& error) override {
        if (Interrupted("ReadAll(" + path + ")")) {
            error = MakeFileError(file_errors::kDeviceIo);
            return std::nullopt;
        }
        auto it = files.find(path);
        if (it == files.end()) {
            error = MakeFileError(file_errors::kFileNotFound);
            return std::nullopt;
        }
        if (outOfMemory) throw std::bad_alloc();
        return it->second;
    }

    bool WriteNew(const std::string& path, std::string_view bytes, FileError& error) override {
        const int index = static_cast<int>(calls.size());
        calls.push_back("WriteNew(" + path + ")");
        if (index == crashAt || index == failAt) {
            // Half the bytes reached the file before the disk filled up or the power went.
            files[path] = std::string(bytes.substr(0, bytes.size() / 2));
            if (index == crashAt) throw Crash{};
            error = MakeFileError(file_errors::kDiskFull);
            return false;
        }
        files[path] = std::string(bytes);
        return true;
    }

    bool Replace(const std::string& from, const std::string& to, FileError& error) override {
        if (Interrupted("Replace(" + from + "," + to + ")")) {
            error = MakeFileError(file_errors::kPermissionDenied);
            return false;
        }
        auto it = files.find(from);
        if (it == files.end()) {
            error = MakeFileError(file_errors::kFileNotFound);
            return false;
        }
        std::string bytes = std::move(it->second);
        files.erase(it);
        files[to] = std::move(bytes);
        return true;
    }

    bool DeleteFile(const std::string& path) override {
        if (Interrupted("DeleteFile(" + path + ")")) return false;
        return files.erase(path) != 0;
    }

    // The vault does not stream or rename; these only keep the fake complete.
    std::optional<std::uint64_t> Length(const std::string& path) override {
        if (Interrupted("Length(" + path + ")")) return std::nullopt;
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second.size();
    }

    std::unique_ptr<FileWriter> OpenWriter(const std::string& path, std::uint64_t, FileError& error) override {
        Interrupted("OpenWriter(" + path + ")");
        error = MakeFileError(file_errors::kPathFileAccess);
        return nullptr;
    }

    bool Rename(const std::string& from, const std::string& to, FileError& error) override {
        if (files.count(to) != 0) {
            calls.push_back("Rename(" + from + "," + to + ")");
            error = MakeFileError(file_errors::kPathFileAccess);
            return false;
        }
        return Replace(from, to, error);
    }

private:
    // Records the call; true when it is to fail (the call then has no effect).
    bool Interrupted(std::string call) {
        const int index = static_cast<int>(calls.size());
        calls.push_back(std::move(call));
        if (index == crashAt) throw Crash{};
        return index == failAt;
    }
};

}  // namespace tf::testing
