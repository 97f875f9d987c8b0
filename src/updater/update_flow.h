// What the updater window's buttons and its download do to the program folder. The old main program
// stays in place until the new one is complete and proved genuine; the new one is then put in place
// in one step, from a handle held open since it was checked, with the old one kept as
// "Tamborvin Form.exe.old" until the new one has started. What was put in place is remembered, so
// that no older release is taken for a newer one when the program itself is gone.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "updater/download.h"
#include "updater/release_info.h"
#include "updater/release_statement.h"

namespace tf {

// A downloaded file held open from its check to its start: nobody may write, delete or rename it
// meanwhile. Closed when destroyed.
class HeldProgram {
public:
    virtual ~HeldProgram() = default;
    virtual std::uint64_t Size() const = 0;
    // Hashed through this handle when it was opened.
    virtual const Sha256Digest& Sha256() const = 0;
    // Gives the file the name `path` through the handle, in one step, replacing a file of that name.
    virtual bool MoveTo(const std::string& path) = 0;
    // Starts the program from the file under its present name.
    virtual bool Start() = 0;
};

// What the flow needs of the platform beyond plain file operations.
class UpdatePlatform {
public:
    virtual ~UpdatePlatform() = default;
    // Opens and hashes the file; empty when it cannot be opened or holds more than `maxSize` bytes.
    virtual std::unique_ptr<HeldProgram> Hold(const std::string& path, std::uint64_t maxSize) = 0;
    // Whether `signature` was made over `statement` with the key built into this updater.
    virtual bool SignatureValid(const std::string& statement, const std::vector<std::uint8_t>& signature) = 0;
    // The version resource of a program file; empty without one.
    virtual std::optional<Version> ProgramVersion(const std::string& path) = 0;
    // Whether the file is a whole program: its version resource reads and it is as long as its
    // headers say. A copy cut short by a power failure is not.
    virtual bool ProgramComplete(const std::string& path) = 0;
    // This updater's own version: no release older than it is installed.
    virtual Version OwnVersion() = 0;
    // Gives the file `from` the second name `to`; false where the disk has no links (FAT32, exFAT).
    virtual bool Link(const std::string& from, const std::string& to) = 0;
};

// The download control as the flow uses it.
class UpdateDownload {
public:
    virtual ~UpdateDownload() = default;
    // `maxSize` and `sha256`: the release's; a half download of another release is not resumed.
    virtual void Start(const std::string& url, const std::string& fileName, std::uint64_t maxSize,
                       const Sha256Digest& sha256) = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual bool Busy() const = 0;
    // Where the finished file lies.
    virtual std::string FinishedPath() const = 0;
};

// The download control itself.
class ControlDownload final : public UpdateDownload {
public:
    explicit ControlDownload(Download& control) : control_(control) {}
    void Start(const std::string& url, const std::string& fileName, std::uint64_t maxSize,
               const Sha256Digest& sha256) override;
    void Pause() override { control_.GetPause(); }
    void Stop() override { control_.GetStop(); }
    bool Busy() const override { return control_.Busy(); }
    std::string FinishedPath() const override { return control_.FinishedPath(); }

private:
    Download& control_;
};

// Beside the programs: the signed statement of the newest release put in place in this folder, and
// its signature. Checked again when read; a file that does not verify counts as absent.
inline constexpr char kInstalledReleaseName[] = "velnor.installed";

// A left-over "Tamborvin Form.exe.old" goes back when "Tamborvin Form.exe" is missing (an updater
// ended between keeping the old program and putting the new one in place), but only when it is a
// whole program: a part of one would take the place of nothing. Both programs call it at start.
// True when the folder has a main program afterwards.
bool RestoreLeftOverProgram(FileSystem& files, UpdatePlatform& platform, const std::string& folder);

class UpdateFlow {
public:
    // `folder`: the updater's folder, which holds the main program.
    UpdateFlow(std::string folder, FileSystem& files, UpdatePlatform& platform, UpdateDownload& download);

    // The release description as fetched; empty when it could not be fetched.
    void SetRelease(std::optional<ReleaseFields> fields);
    // "Update": checks the release and starts the download; the status to show, empty when the
    // download's own states will tell.
    std::string Update();
    void Pause() { download_.Pause(); }
    void Stop() { download_.Stop(); }
    // The download's state change; the status to show. On a finished download the new program is
    // checked, put in place and started.
    std::string OnDownloadState(std::int16_t state);
    // The window closes: a transfer under way keeps its resume files.
    void Close();
    // The new program has started: the updater's work is done.
    bool Started() const { return started_; }
    const std::string& MainPath() const { return mainPath_; }

private:
    std::string Install(const std::string& downloaded);
    std::string Refuse(const std::string& downloaded, const char* status);
    // The newest of the installed program's version (or its whole ".old" copy's), the newest release
    // put in place here and this updater's own; empty when neither program nor record tells.
    std::optional<Version> InstalledVersion();
    std::optional<Version> RecordedVersion();
    // Makes ".old" a second name of the program or, on a disk without links, a flushed copy that
    // takes that name only when it is whole.
    bool KeepOld(const std::string& old);
    void RecordInstalled(const ReleaseStatement& statement);

    std::string folder_;
    std::string mainPath_;
    FileSystem& files_;
    UpdatePlatform& platform_;
    UpdateDownload& download_;
    std::optional<ReleaseFields> release_;
    // The statement the running download was checked against.
    std::optional<ReleaseStatement> pending_;
    std::vector<std::uint8_t> pendingSignature_;
    bool started_ = false;
};

}  // namespace tf
