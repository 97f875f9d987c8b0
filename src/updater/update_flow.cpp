#include "updater/update_flow.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "updater/download_names.h"

namespace tf {

namespace {

// The download's own name until it is checked: never the main program's.
constexpr char kDownloadSuffix[] = ".new";
constexpr int kMaxNumber = 32767;
// Where a file takes shape before it gets its name in one step.
constexpr char kWritingSuffix[] = ".tmp";
// A record is a few hundred bytes; an old program kept by copying is read whole.
constexpr std::uint64_t kMaxRecordSize = 4096;
constexpr std::uint64_t kMaxCopiedProgram = 256ull << 20;
constexpr char kSignatureKey[] = "signature: ";

std::string HexOf(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

// The record's lines: the statement's as StatementText writes them, then the signature's.
std::optional<SignedRelease> ParseRecord(std::string_view text) {
    static constexpr std::string_view kKeys[] = {
        "Tamborvin Form release", "name: ", "version: ", "size: ", "sha256: ", kSignatureKey};
    std::string_view values[std::size(kKeys)];
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos || text.substr(0, kKeys[i].size()) != kKeys[i]) return std::nullopt;
        values[i] = text.substr(kKeys[i].size(), end - kKeys[i].size());
        text.remove_prefix(end + 1);
    }
    if (!text.empty() || !values[0].empty()) return std::nullopt;
    return ParseSignedRelease(values[1], values[2], values[3], values[4], values[5]);
}

}  // namespace

void ControlDownload::Start(const std::string& url, const std::string& fileName, std::uint64_t maxSize,
                            const Sha256Digest& sha256) {
    control_.URL = url;
    control_.FileName = fileName;
    control_.MaxSize = maxSize;
    control_.Identity = DownloadIdentity{sha256, maxSize};
    control_.GetStart();
}

bool RestoreLeftOverProgram(FileSystem& files, UpdatePlatform& platform, const std::string& folder) {
    const std::string main = SavePath(folder, kMainProgramName);
    if (files.FileExists(main)) return true;
    const std::string old = main + kOldProgramSuffix;
    FileError error;
    return platform.ProgramComplete(old) && files.Rename(old, main, error);
}

UpdateFlow::UpdateFlow(std::string folder, FileSystem& files, UpdatePlatform& platform, UpdateDownload& download)
    : folder_(std::move(folder)),
      mainPath_(SavePath(folder_, kMainProgramName)),
      files_(files),
      platform_(platform),
      download_(download) {}

void UpdateFlow::SetRelease(std::optional<ReleaseFields> fields) { release_ = std::move(fields); }

std::optional<Version> UpdateFlow::RecordedVersion() {
    const std::string path = SavePath(folder_, kInstalledReleaseName);
    const auto length = files_.Length(path);
    if (!length || *length > kMaxRecordSize) return std::nullopt;
    FileError error;
    const auto text = files_.ReadAll(path, error);
    const auto release = text ? ParseRecord(*text) : std::nullopt;
    if (!release || !platform_.SignatureValid(StatementText(release->statement), release->signature)) {
        return std::nullopt;
    }
    return ParseVersion(release->statement.version);
}

std::optional<Version> UpdateFlow::InstalledVersion() {
    std::optional<Version> known = RecordedVersion();
    auto consider = [&](std::optional<Version> version) {
        if (version && (!known || *version > *known)) known = version;
    };
    consider(platform_.ProgramVersion(mainPath_));
    // Between keeping the old program and placing the new one the copy may be all there is.
    const std::string old = mainPath_ + kOldProgramSuffix;
    if (platform_.ProgramComplete(old)) consider(platform_.ProgramVersion(old));
    // This updater's own version alone is no proof of what is installed: with the program gone it
    // would let an old signed release back in.
    if (!known) return std::nullopt;
    return std::max(*known, platform_.OwnVersion());
}

bool UpdateFlow::KeepOld(const std::string& old) {
    files_.DeleteFile(old);
    if (platform_.Link(mainPath_, old)) return true;
    // No links (FAT32, exFAT): the copy is whole and on the disk before it is named ".old" and
    // before the program moves, so a power failure never leaves a part of one to restore.
    const std::string writing = old + kWritingSuffix;
    const auto length = files_.Length(mainPath_);
    FileError error;
    std::optional<std::string> bytes;
    if (length && *length <= kMaxCopiedProgram) bytes = files_.ReadAll(mainPath_, error);
    if (!bytes || !files_.WriteNew(writing, *bytes, error) || !files_.Rename(writing, old, error)) {
        files_.DeleteFile(writing);
        return false;
    }
    return true;
}

void UpdateFlow::RecordInstalled(const ReleaseStatement& statement) {
    // Written whole and flushed under another name, then put in place in one step: a record cut
    // short would not verify and would count as none.
    const std::string path = SavePath(folder_, kInstalledReleaseName);
    const std::string writing = path + kWritingSuffix;
    const std::string text = StatementText(statement) + kSignatureKey + HexOf(pendingSignature_) + "\n";
    FileError error;
    if (!files_.WriteNew(writing, text, error) || !files_.Replace(writing, path, error)) files_.DeleteFile(writing);
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
    const auto installed = InstalledVersion();
    if (!installed) return kStatusUnknownVersion;
    const auto version = ParseVersion(fields.v);
    if (!version || *version <= *installed) return kStatusNotNewer;
    pending_ = release->statement;
    pendingSignature_ = release->signature;
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
    if (kept && !KeepOld(old)) {
        held.reset();
        return Refuse(downloaded, kStatusCannotMoveOld);
    }
    // A release under another name leaves the main program alone and takes a free name.
    std::string place = target;
    for (int n = 1; !replacesMain && files_.FileExists(place) && n <= kMaxNumber; ++n) place = NumberedName(target, n);
    if (!held->MoveTo(place)) {
        held.reset();
        // Where replacing is no single step (FAT32, exFAT) the program may already be gone.
        FileError error;
        if (kept && !files_.FileExists(mainPath_)) {
            files_.Rename(old, mainPath_, error);
        } else if (kept) {
            files_.DeleteFile(old);
        }
        return Refuse(downloaded, kStatusCannotReplace);
    }
    if (!held->Start()) {
        held.reset();
        FileError error;
        if (kept) files_.Replace(old, mainPath_, error);
        return kStatusCannotStart;
    }
    held.reset();
    // Only once the new program runs does it raise the floor for later releases.
    if (replacesMain) RecordInstalled(statement);
    if (kept) files_.DeleteFile(old);
    pending_.reset();
    started_ = true;
    return StatusText(download_state::kFinished);
}

}  // namespace tf
