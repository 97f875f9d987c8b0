#include "updater/update_flow.h"

#include <algorithm>

#include "updater/download_names.h"

namespace tf {

namespace {

// The download's own name until it is checked: never the main program's.
constexpr char kDownloadSuffix[] = ".new";
constexpr int kMaxNumber = 32767;

}  // namespace

void ControlDownload::Start(const std::string& url, const std::string& fileName, std::uint64_t maxSize,
                            const Sha256Digest& sha256) {
    control_.URL = url;
    control_.FileName = fileName;
    control_.MaxSize = maxSize;
    control_.Identity = DownloadIdentity{sha256, maxSize};
    control_.GetStart();
}

bool RestoreLeftOverProgram(FileSystem& files, const std::string& folder) {
    const std::string main = SavePath(folder, kMainProgramName);
    if (files.FileExists(main)) return true;
    const std::string old = main + kOldProgramSuffix;
    FileError error;
    return files.FileExists(old) && files.Rename(old, main, error);
}

UpdateFlow::UpdateFlow(std::string folder, FileSystem& files, UpdatePlatform& platform, UpdateDownload& download)
    : folder_(std::move(folder)),
      mainPath_(SavePath(folder_, kMainProgramName)),
      files_(files),
      platform_(platform),
      download_(download) {}

void UpdateFlow::SetRelease(std::optional<ReleaseFields> fields) { release_ = std::move(fields); }

Version UpdateFlow::InstalledVersion() {
    Version installed = platform_.OwnVersion();
    // Between keeping the old program and placing the new one only the copy holds the version.
    const std::string program = files_.FileExists(mainPath_) ? mainPath_ : mainPath_ + kOldProgramSuffix;
    if (const auto version = platform_.ProgramVersion(program)) installed = std::max(installed, *version);
    return installed;
}

std::string UpdateFlow::Update() {
    if (!release_) return kStatusNoRelease;
    if (download_.Busy()) return {};
    const ReleaseFields& fields = *release_;
    // The name comes from the server: it must not lead out of this folder or to a device.
    if (!IsPlainFileName(fields.Text2)) return kStatusBadFileName;
    const auto release = ParseSignedRelease(fields.Text2, fields.v, fields.bytes, fields.sha256, fields.signature);
    if (!release) return kStatusNoSignature;
    if (!platform_.SignatureValid(StatementText(release->statement), release->signature)) return kStatusBadSignature;
    // An older signed release must not come back as the new one.
    const auto version = ParseVersion(fields.v);
    if (!version || *version <= InstalledVersion()) return kStatusNotNewer;
    pending_ = release->statement;
    const std::string temporary = SavePath(folder_, fields.Text2) + kDownloadSuffix;
    // A download left complete by an updater that ended before checking it is fetched again.
    files_.DeleteFile(temporary);
    download_.Start(fields.Text1, temporary, release->statement.size, release->statement.sha256);
    return {};
}

std::string UpdateFlow::OnDownloadState(std::int16_t state) {
    if (state == download_state::kFinished) return Install(download_.FinishedPath());
    if (state == download_state::kTooLarge) return kStatusTooLarge;
    return StatusText(state);
}

void UpdateFlow::Close() {
    if (download_.Busy()) download_.Pause();
}

std::string UpdateFlow::Refuse(const std::string& downloaded, const char* status) {
    files_.DeleteFile(downloaded);
    return status;
}

std::string UpdateFlow::Install(const std::string& downloaded) {
    if (!pending_) return Refuse(downloaded, kStatusBadSignature);
    const ReleaseStatement statement = *pending_;
    // Checked and started through one handle: the file cannot change in between.
    std::unique_ptr<HeldProgram> held = platform_.Hold(downloaded, statement.size);
    if (!held) return Refuse(downloaded, kStatusCannotCheck);
    if (held->Size() != statement.size || held->Sha256() != statement.sha256) {
        held.reset();
        return Refuse(downloaded, kStatusBadSignature);
    }

    const std::string target = SavePath(folder_, statement.name);
    const bool replacesMain = SamePath(target, mainPath_);
    const std::string old = mainPath_ + kOldProgramSuffix;
    // The old program stays under its name; the copy is what comes back should the new one fail.
    const bool kept = replacesMain && files_.FileExists(mainPath_);
    if (kept && !platform_.KeepCopy(mainPath_, old)) {
        held.reset();
        return Refuse(downloaded, kStatusCannotMoveOld);
    }
    // A release under another name leaves the main program alone and takes a free name.
    std::string place = target;
    for (int n = 1; !replacesMain && files_.FileExists(place) && n <= kMaxNumber; ++n) place = NumberedName(target, n);
    if (!held->MoveTo(place)) {
        held.reset();
        if (kept) files_.DeleteFile(old);
        return Refuse(downloaded, kStatusCannotReplace);
    }
    if (!held->Start()) {
        held.reset();
        FileError error;
        if (kept) files_.Replace(old, mainPath_, error);
        return kStatusCannotStart;
    }
    held.reset();
    if (kept) files_.DeleteFile(old);
    pending_.reset();
    started_ = true;
    return StatusText(download_state::kFinished);
}

}  // namespace tf
