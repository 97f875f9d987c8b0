#include "updater/download.h"

#include <algorithm>
#include <vector>

#include "base/text.h"
#include "updater/download_names.h"

namespace tf {

using namespace download_state;

namespace {

// The numbered-name search stops where the original control's 16-bit counter did.
constexpr int kMaxNumber = 32767;

// The state file's lines after the address, each begun by a line end: the release, then the
// validator when the server gave one.
constexpr char kValidatorLine[] = "\r\nif-range: ";
constexpr std::size_t kMaxValidator = 200;

std::string IdentityLines(const DownloadIdentity& identity) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "\r\nsha256: ";
    for (std::uint8_t byte : identity.sha256) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text + "\r\nsize: " + std::to_string(identity.size);
}

// Read from a file or a server: one short line of visible characters, or nothing.
bool UsableValidator(std::string_view value) {
    return !value.empty() && value.size() <= kMaxValidator &&
           std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// What tells this version of the file from another: a strong ETag (a weak one may stay the same
// for other bytes), else the date it was last changed.
std::string ResponseValidator(const std::string& headers) {
    std::optional<std::string> value = HeaderValue(headers, "ETag");
    if (!value || value->size() < 2 || value->front() != '"' || value->back() != '"') {
        value = HeaderValue(headers, "Last-Modified");
    }
    return value && UsableValidator(*value) ? *value : std::string();
}

}  // namespace

Download::Download(HttpTransport& transport, FileSystem& files, Clock& clock, std::function<void()> letMessagesRun)
    : transport_(transport), files_(files), clock_(clock), letMessagesRun_(std::move(letMessagesRun)) {}

Download::~Download() {
    *life_ = false;
    if (busy_) transport_.Abandon();
}

void Download::GetStart() {
    if (busy_) return;
    busy_ = true;
    ++transfer_;
    receivedBytes_ = 0;
    startedOver_ = false;
    contentLength_.reset();
    totalSize_ = 0;
    resumeOffset_ = 0;
    heldValidator_.clear();
    validator_.clear();
    dataPath_ = FileName + ".dl";
    statePath_ = FileName + ".dl.cfg";

    // Half a pair is nobody's to remove: it stays, and this download takes numbered names.
    const bool hasData = files_.FileExists(dataPath_);
    const bool hasState = files_.FileExists(statePath_);
    const bool named = hasData && hasState ? TakeLeftovers() : hasData == hasState || ChooseFreeNames();

    if (!Raise(kSending)) return;
    if (!named) return End(kFileError);
    if (!SendRequest()) End(kNotSent);
}

void Download::GetPause() {
    if (busy_) End(kPaused);
}

void Download::GetStop() {
    if (!busy_) return;
    transport_.Abandon();
    data_.reset();
    files_.DeleteFile(statePath_);
    End(kStopped);
}

bool Download::TakeLeftovers() {
    FileError error;
    const auto saved = files_.ReadAll(statePath_, error);
    const auto length = files_.Length(dataPath_);
    if (!saved || !length) return ChooseFreeNames();
    const std::string address = ToAnsi(URL);
    // A data file already longer than the file may be is of no use.
    const bool fits = !MaxSize || *length <= *MaxSize;
    if (!Identity) {
        if (TrimSpaces(*saved) != TrimSpaces(address) || !fits) return ChooseFreeNames();
        resumeOffset_ = *length;
        return true;
    }
    const std::string_view text = *saved;
    const std::size_t lineEnd = std::min(text.find("\r\n"), text.size());
    // A pair of another address is not ours: it stays untouched.
    if (TrimSpaces(text.substr(0, lineEnd)) != TrimSpaces(address)) return ChooseFreeNames();
    const std::string_view rest = text.substr(lineEnd);
    const std::string release = IdentityLines(*Identity);
    const std::string withValidator = release + kValidatorLine;
    const bool same = rest == release || (rest.substr(0, withValidator.size()) == withValidator &&
                                          UsableValidator(rest.substr(withValidator.size())));
    if (same && fits && *length <= Identity->size) {
        resumeOffset_ = *length;
        if (rest.size() > release.size()) heldValidator_ = rest.substr(withValidator.size());
        return true;
    }
    // Bytes of another release, or of one not recorded: they would only spoil this one. Removed,
    // the download begins anew under the same names, and nothing stale stays behind.
    if (files_.DeleteFile(dataPath_) && files_.DeleteFile(statePath_)) return true;
    return ChooseFreeNames();
}

std::string Download::StateText() const {
    std::string text = ToAnsi(URL);
    if (Identity) {
        text += IdentityLines(*Identity);
        if (!validator_.empty()) text += kValidatorLine + validator_;
    }
    return text;
}

bool Download::ChooseFreeNames() {
    for (int n = 1; n <= kMaxNumber; ++n) {
        const std::string candidate = NumberedName(FileName, n);
        if (candidate.empty()) return false;
        if (!files_.FileExists(candidate + ".dl") && !files_.FileExists(candidate + ".dl.cfg")) {
            dataPath_ = candidate + ".dl";
            statePath_ = candidate + ".dl.cfg";
            return true;
        }
    }
    return false;
}

bool Download::SendRequest() {
    // The range goes out also from 0, so that every request asks the same way.
    std::vector<std::string> lines = {"Range: bytes=" + std::to_string(resumeOffset_) + "-"};
    // A server whose file changed since answers with the whole new file instead of its rest.
    if (resumeOffset_ > 0 && !heldValidator_.empty()) lines.push_back("If-Range: " + heldValidator_);
    return transport_.Start(NormalizeUrl(URL), lines, *this);
}

void Download::OnResponseStart(int status, const std::string& headers) {
    if (!busy_ || !Raise(kHeadersArrived)) return;
    if (status == 416) return RangeNotSatisfiable(headers);
    // A redirect is followed by the transport; one that reaches here carries no part of the file.
    if (status != 200 && status != 206) return End(kStatusRefused);
    validator_ = ResponseValidator(headers);
    const auto length = HeaderValue(headers, "Content-Length");
    contentLength_ = length ? ParseByteCount(*length) : std::nullopt;
    if (status == 206) {
        if (!PartFits(headers)) return End(kStatusRefused);
    } else if (resumeOffset_ > 0) {
        // The server ignored the range and sends the whole file: the data file starts over.
        resumeOffset_ = 0;
    }
    totalSize_ = (contentLength_ ? *contentLength_ : 1) + resumeOffset_;
    if (MaxSize && contentLength_ && totalSize_ > *MaxSize) return End(kTooLarge);

    FileError error;
    data_ = files_.OpenWriter(dataPath_, resumeOffset_, error);
    if (!data_) return End(kFileError);
    if (!files_.WriteNew(statePath_, StateText(), error)) return End(kFileError);
    startTime_ = clock_.Now();
    Raise(kReceiving);
}

bool Download::PartFits(const std::string& headers) {
    const auto value = HeaderValue(headers, "Content-Range");
    const auto range = value ? ParseContentRange(*value) : std::nullopt;
    // A part that begins elsewhere would land in the wrong place; one that ends early, or whose
    // length disagrees, would be taken for the whole file.
    if (!range || !range->first || !range->total || *range->first != resumeOffset_ ||
        *range->last + 1 != *range->total) {
        return false;
    }
    const std::uint64_t partLength = *range->last - *range->first + 1;
    if (contentLength_ && *contentLength_ != partLength) return false;
    contentLength_ = partLength;
    return true;
}

void Download::RangeNotSatisfiable(const std::string& headers) {
    std::optional<std::uint64_t> total;
    if (const auto value = HeaderValue(headers, "Content-Range")) {
        if (const auto range = ParseContentRange(*value)) total = range->total;
    }
    if (total && *total == resumeOffset_) {
        // Nothing is missing: the data file holds the whole resource already.
        transport_.Abandon();
        FileError error;
        data_ = files_.OpenWriter(dataPath_, resumeOffset_, error);
        if (!data_) return End(kFileError);
        totalSize_ = resumeOffset_;
        return Finish();
    }
    if (resumeOffset_ > 0 && !startedOver_) {
        // The data file is longer than the resource (another version of it): begin again, once.
        startedOver_ = true;
        transport_.Abandon();
        resumeOffset_ = 0;
        if (!Raise(kSending)) return;
        if (!SendRequest()) End(kNotSent);
        return;
    }
    End(kStatusRefused);
}

void Download::OnData(std::string_view bytes) {
    if (!busy_ || !data_) return;
    if (MaxSize && resumeOffset_ + receivedBytes_ + bytes.size() > *MaxSize) return End(kTooLarge);
    // More than the length announced is not the file asked for.
    if (contentLength_ && receivedBytes_ + bytes.size() > *contentLength_) return End(kTransferError);
    FileError error;
    // What went in before the failure stays, so that a later start resumes after it.
    if (!data_->Write(bytes, error)) return End(kFileError);
    receivedBytes_ += bytes.size();
    const std::uint64_t held = resumeOffset_ + receivedBytes_;
    float percent = static_cast<float>(static_cast<double>(held) / static_cast<double>(totalSize_) * 100.0);
    if (percent > 100) percent = 100;
    const double elapsed = clock_.Now() - startTime_;
    const double speed = elapsed > 0 ? static_cast<double>(receivedBytes_) / elapsed : 0;
    if (HttpState) {
        const auto life = life_;
        const auto transfer = transfer_;
        HttpState(FormatByteSize(totalSize_), percent, FormatByteSize(static_cast<std::uint64_t>(speed + 0.5)),
                  FormatByteSize(held));
        if (!Current(life, transfer)) return;
    }
    letMessagesRun_();
}

void Download::OnFinished() {
    if (!busy_) return;
    // The connection may end early without an error: only a complete body is finished.
    if (contentLength_ && receivedBytes_ < *contentLength_) return End(kTransferError);
    Finish();
}

void Download::OnError(int) {
    if (busy_) End(kTransferError);
}

void Download::Finish() {
    FileError error;
    const bool written = data_ && data_->Commit(error);
    data_.reset();
    if (!written) return End(kFileError);
    // An existing file keeps its name; the new one takes the first free numbered one.
    std::string target = FileName;
    for (int n = 1; files_.FileExists(target); ++n) {
        target = n <= kMaxNumber ? NumberedName(FileName, n) : std::string();
        if (target.empty()) return End(kFileError);
    }
    // Both files stay when the rename fails: the next start finds the data complete and finishes.
    if (!files_.Rename(dataPath_, target, error)) return End(kFileError);
    files_.DeleteFile(statePath_);
    finishedPath_ = target;
    End(kFinished);
}

void Download::End(std::int16_t state) {
    transport_.Abandon();
    data_.reset();
    busy_ = false;
    if (StateChanged) StateChanged(state);
}

bool Download::Raise(std::int16_t state) {
    const auto life = life_;
    const auto transfer = transfer_;
    if (StateChanged) StateChanged(state);
    return Current(life, transfer);
}

}  // namespace tf
