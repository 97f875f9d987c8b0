// The updater subsystem: velnor, which fetches a new version with resume and puts it in place, and
// the rules it follows.
//
// The rules of the updater's download control: one file fetched by HTTP GET beside its target as a
// data file ("<name>.dl") and a state file ("<name>.dl.cfg", the address it belongs to), resumable
// across runs, paused or stopped between chunks, renamed into place when complete. Given the release
// the file is, the state file records it too, and a resume continues only that release.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/file_system.h"
#include "updater/download_ports.h"
#include "updater/release_statement.h"

namespace tf {

// The codes of `StateChanged`.
namespace download_state {
inline constexpr std::int16_t kSending = 1;
inline constexpr std::int16_t kHeadersArrived = 2;
inline constexpr std::int16_t kReceiving = 3;
inline constexpr std::int16_t kTransferError = 4;
inline constexpr std::int16_t kStopped = 5;
inline constexpr std::int16_t kPaused = 6;
inline constexpr std::int16_t kStatusRefused = 7;
inline constexpr std::int16_t kNotSent = 8;
inline constexpr std::int16_t kFinished = 9;
inline constexpr std::int16_t kFileError = 10;
// The resource is larger than `MaxSize`: nothing beyond it is taken.
inline constexpr std::int16_t kTooLarge = 11;
}  // namespace download_state

// The release a download is: one address serves every release in turn, so the address alone cannot
// tell whose bytes a leftover data file holds.
struct DownloadIdentity {
    Sha256Digest sha256{};
    std::uint64_t size = 0;
};

class Download final : private HttpEvents {
public:
    // `letMessagesRun` runs the owner's pending messages; it is called after every chunk so that the
    // owner's buttons (GetPause, GetStop) work during a transfer.
    Download(HttpTransport& transport, FileSystem& files, Clock& clock, std::function<void()> letMessagesRun);
    // Abandons a running transfer and closes the data file; both files stay for a later resume.
    ~Download() override;
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // Full path of the finished file (with a backslash), and the address to fetch; set before GetStart.
    std::string FileName;
    std::string URL;
    // The most bytes the finished file may hold; a larger answer ends the transfer with kTooLarge.
    std::optional<std::uint64_t> MaxSize;
    // When set, the state file holds it after the address (with the server's strong ETag or
    // Last-Modified), and a leftover pair of another release, or of none, is deleted and begun anew
    // under the same names instead of resumed.
    std::optional<DownloadIdentity> Identity;

    // After every chunk written: total size, percent 0..100, speed per second and bytes held, the
    // sizes as the shell's short texts. The handlers may call GetPause or GetStop, and may destroy
    // the control on kFinished and on the codes that end a transfer.
    std::function<void(const std::string& fileSize, float percent, const std::string& speed,
                       const std::string& downloaded)>
        HttpState;
    std::function<void(std::int16_t state)> StateChanged;

    void GetStart();
    void GetPause();
    void GetStop();

    bool Busy() const { return busy_; }
    const std::string& DataPath() const { return dataPath_; }
    const std::string& StatePath() const { return statePath_; }
    // Bytes the data file held when this response began (0 when the download started over).
    std::uint64_t ResumeOffset() const { return resumeOffset_; }
    // The expected final size: the response's length (1 when it gives none) plus the offset.
    std::uint64_t TotalSize() const { return totalSize_; }
    // Where the last finished download was put: FileName, or a numbered name when that was taken.
    const std::string& FinishedPath() const { return finishedPath_; }

private:
    void OnResponseStart(int status, const std::string& headers) override;
    void OnData(std::string_view bytes) override;
    void OnFinished() override;
    void OnError(int code) override;

    bool ChooseFreeNames();
    // Chooses the names and the offset for a pair of leftover files.
    bool TakeLeftovers();
    // What the state file holds for this transfer.
    std::string StateText() const;
    bool SendRequest();
    void RangeNotSatisfiable(const std::string& headers);
    // A 206 must hold exactly the bytes asked for: from the data file's end to the resource's end.
    bool PartFits(const std::string& headers);
    void Finish();
    // Ends the transfer (request abandoned, data file closed) and raises `state` as the last step.
    void End(std::int16_t state);
    // Raises StateChanged; false when its handler ended this transfer or destroyed the control.
    bool Raise(std::int16_t state);
    bool Current(const std::shared_ptr<bool>& life, std::uint64_t transfer) const {
        return *life && busy_ && transfer_ == transfer;
    }

    HttpTransport& transport_;
    FileSystem& files_;
    Clock& clock_;
    std::function<void()> letMessagesRun_;

    bool busy_ = false;
    // Counts the transfers, so that a handler that ended one (and maybe began another) is noticed.
    std::uint64_t transfer_ = 0;
    bool startedOver_ = false;
    std::string dataPath_;
    std::string statePath_;
    std::string finishedPath_;
    std::uint64_t resumeOffset_ = 0;
    // The server's validator of the bytes held (sent as If-Range), and the one of this response.
    std::string heldValidator_;
    std::string validator_;
    std::uint64_t totalSize_ = 0;
    std::optional<std::uint64_t> contentLength_;
    std::uint64_t receivedBytes_ = 0;
    double startTime_ = 0;
    std::unique_ptr<FileWriter> data_;
    // Cleared by the destructor: a handler that destroyed the control is seen through a copy.
    std::shared_ptr<bool> life_ = std::make_shared<bool>(true);
};

}  // namespace tf
