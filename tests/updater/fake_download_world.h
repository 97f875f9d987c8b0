// Fakes for the download's ports: an in-memory disk that can fill up or refuse files, an HTTP
// transport the test answers by hand, and a clock the test moves.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "updater/download_ports.h"

namespace tf::testing {

class MemoryFiles final : public FileSystem {
public:
    std::map<std::string, std::string> files;
    // Bytes the disk still takes; a write beyond them stores what fits and fails.
    std::size_t spaceLeft = SIZE_MAX;
    // Files that cannot be opened for writing (locked by another program).
    std::set<std::string> locked;
    // Lengths reported instead of the content's, for sizes no test can hold in memory.
    std::map<std::string, std::uint64_t> claimedLength;
    bool failRename = false;

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    std::optional<std::string> ReadAll(const std::string& path, FileError& error) override {
        auto it = files.find(path);
        if (it != files.end()) return it->second;
        error = MakeFileError(file_errors::kFileNotFound);
        return std::nullopt;
    }
    bool WriteNew(const std::string& path, std::string_view bytes, FileError& error) override {
        if (locked.count(path)) return Fail(error, file_errors::kPermissionDenied);
        files[path] = std::string(bytes);
        return true;
    }
    bool Replace(const std::string& from, const std::string& to, FileError& error) override {
        if (!files.count(from)) return Fail(error, file_errors::kFileNotFound);
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    bool DeleteFile(const std::string& path) override { return files.erase(path) != 0; }
    std::optional<std::uint64_t> Length(const std::string& path) override {
        if (claimedLength.count(path)) return claimedLength[path];
        if (!files.count(path)) return std::nullopt;
        return files[path].size();
    }
    std::unique_ptr<FileWriter> OpenWriter(const std::string& path, std::uint64_t keep, FileError& error) override {
        if (locked.count(path)) return Fail(error, file_errors::kPermissionDenied), nullptr;
        if (claimedLength.count(path)) {
            if (claimedLength[path] < keep) return Fail(error, file_errors::kInputPastEnd), nullptr;
        } else if (Length(path).value_or(0) < keep) {
            return Fail(error, file_errors::kInputPastEnd), nullptr;
        } else {
            files[path].resize(keep);
        }
        ++openWriters;
        return std::make_unique<Writer>(*this, path);
    }
    bool Rename(const std::string& from, const std::string& to, FileError& error) override {
        if (failRename || files.count(to)) return Fail(error, file_errors::kPathFileAccess);
        return Replace(from, to, error);
    }

    int openWriters = 0;

private:
    class Writer final : public FileWriter {
    public:
        Writer(MemoryFiles& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
        ~Writer() override { --fs_.openWriters; }
        bool Write(std::string_view bytes, FileError& error) override {
            const std::size_t fits = std::min(bytes.size(), fs_.spaceLeft);
            fs_.files[path_] += bytes.substr(0, fits);
            fs_.spaceLeft -= fits;
            return fits == bytes.size() || Fail(error, file_errors::kDiskFull);
        }
        bool Commit(FileError&) override { return true; }

    private:
        MemoryFiles& fs_;
        std::string path_;
    };

    static bool Fail(FileError& error, int code) {
        error = MakeFileError(code);
        return false;
    }
};

struct SentRequest {
    std::string url;
    std::vector<std::string> headerLines;
};

class FakeTransport final : public HttpTransport {
public:
    std::vector<SentRequest> sent;
    bool refuse = false;
    int abandoned = 0;

    bool Start(const std::string& url, const std::vector<std::string>& headerLines, HttpEvents& events) override {
        if (refuse) return false;
        sent.push_back({url, headerLines});
        events_ = &events;
        return true;
    }
    void Abandon() override {
        if (events_) ++abandoned;
        events_ = nullptr;
    }
    bool Active() const { return events_ != nullptr; }

    // The server's side of the current request; nothing reaches an abandoned one.
    void Respond(int status, const std::string& headers) {
        if (events_) events_->OnResponseStart(status, headers);
    }
    void Send(std::string_view bytes) {
        if (events_) events_->OnData(bytes);
    }
    void End() {
        if (HttpEvents* events = std::exchange(events_, nullptr)) events->OnFinished();
    }
    void Fail(int code) {
        if (HttpEvents* events = std::exchange(events_, nullptr)) events->OnError(code);
    }

private:
    HttpEvents* events_ = nullptr;
};

class FakeClock final : public Clock {
public:
    double now = 1000;
    double Now() override { return now; }
};

}  // namespace tf::testing
