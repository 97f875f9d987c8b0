#include "updater/download.h"

#include <gtest/gtest.h>

#include <cstring>

#include "updater/fake_download_world.h"

namespace tf {
namespace {

using namespace download_state;
using testing::MemoryFiles;

constexpr char kTarget[] = "C:\\app\\setup.exe";
constexpr char kUrl[] = "host/files/setup.exe";

// A release of 10 bytes whose SHA-256 is 32 bytes of 0xaa, and the state file that records it.
const DownloadIdentity kRelease{[] {
                                    Sha256Digest digest;
                                    digest.fill(0xaa);
                                    return digest;
                                }(),
                                10};
std::string ReleaseState(char digit = 'a', int size = 10, const std::string& more = "") {
    return std::string(kUrl) + "\r\nsha256: " + std::string(64, digit) + "\r\nsize: " + std::to_string(size) + more;
}

struct Progress {
    std::string size;
    float percent;
    std::string speed;
    std::string held;
};

class DownloadTest : public ::testing::Test {
protected:
    DownloadTest() { Make(); }

    void Make() {
        download_ = std::make_unique<Download>(transport_, files_, clock_, [this] {
            ++pumps_;
            if (onPump_) onPump_();
        });
        download_->FileName = kTarget;
        download_->URL = kUrl;
        download_->StateChanged = [this](std::int16_t state) {
            states_.push_back(state);
            if (onState_) onState_(state);
        };
        download_->HttpState = [this](const std::string& size, float percent, const std::string& speed,
                                      const std::string& held) {
            progress_.push_back({size, percent, speed, held});
        };
    }
    // A held pair of resume files for `url` with `bytes` in the data file.
    void Leave(const std::string& base, const std::string& url, const std::string& bytes) {
        files_.files[base + ".dl"] = bytes;
        files_.files[base + ".dl.cfg"] = url;
    }
    std::string Range(std::size_t request = SIZE_MAX) const {
        const auto& sent = request == SIZE_MAX ? transport_.sent.back() : transport_.sent.at(request);
        return sent.headerLines.at(0);
    }
    std::string File(const std::string& path) { return files_.files.count(path) ? files_.files[path] : "<none>"; }

    testing::FakeTransport transport_;
    MemoryFiles files_;
    testing::FakeClock clock_;
    std::unique_ptr<Download> download_;
    std::vector<std::int16_t> states_;
    std::vector<Progress> progress_;
    std::function<void(std::int16_t)> onState_;
    std::function<void()> onPump_;
    int pumps_ = 0;
};

TEST_F(DownloadTest, FreshDownloadAsksFromZeroAndEndsInPlace) {
    download_->GetStart();
    ASSERT_EQ(transport_.sent.size(), 1u);
    EXPECT_EQ(transport_.sent[0].url, "http://host/files/setup.exe");
    EXPECT_EQ(Range(), "Range: bytes=0-");
    EXPECT_TRUE(download_->Busy());

    transport_.Respond(200, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), kUrl);
    transport_.Send("abcd");
    clock_.now += 2;
    transport_.Send("efghij");
    ASSERT_EQ(progress_.size(), 2u);
    EXPECT_EQ(progress_[0].size, "10 bytes");
    EXPECT_FLOAT_EQ(progress_[0].percent, 40);
    EXPECT_EQ(progress_[0].speed, "0 bytes");  // no time has passed yet
    EXPECT_EQ(progress_[1].speed, "5 bytes");
    EXPECT_EQ(progress_[1].held, "10 bytes");
    EXPECT_EQ(pumps_, 2);
    transport_.End();

    EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kHeadersArrived, kReceiving, kFinished}));
    EXPECT_FALSE(download_->Busy());
    EXPECT_EQ(File(kTarget), "abcdefghij");
    EXPECT_EQ(download_->FinishedPath(), kTarget);
    EXPECT_EQ(files_.files.size(), 1u);
    EXPECT_EQ(files_.openWriters, 0);
}

TEST_F(DownloadTest, SecondStartWhileBusyDoesNothing) {
    download_->GetStart();
    download_->GetStart();
    EXPECT_EQ(states_, std::vector<std::int16_t>{kSending});
    EXPECT_EQ(transport_.sent.size(), 1u);
}

TEST_F(DownloadTest, PauseKeepsTheFilesAndStartResumesWithThePercentOfAllHeldBytes) {
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 10\r\n");
    transport_.Send("abcd");
    download_->GetPause();
    EXPECT_EQ(states_.back(), kPaused);
    EXPECT_FALSE(transport_.Active());
    EXPECT_EQ(files_.openWriters, 0);
    transport_.Send("lost");  // the abandoned request delivers nothing more
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abcd");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), kUrl);

    download_->GetStart();
    EXPECT_EQ(Range(), "Range: bytes=4-");
    transport_.Respond(206, "Content-Range: bytes 4-9/10\r\nContent-Length: 6\r\n");
    EXPECT_EQ(download_->ResumeOffset(), 4u);
    transport_.Send("ef");
    EXPECT_FLOAT_EQ(progress_.back().percent, 60);
    EXPECT_EQ(progress_.back().held, "6 bytes");
    transport_.Send("ghij");
    transport_.End();
    EXPECT_EQ(states_.back(), kFinished);
    EXPECT_EQ(File(kTarget), "abcdefghij");
}

TEST_F(DownloadTest, ResumesAPairWhoseStateNamesTheAddressBlanksAside) {
    Leave(kTarget, std::string("  ") + kUrl + " ", "abc");
    download_->GetStart();
    EXPECT_EQ(download_->DataPath(), "C:\\app\\setup.exe.dl");
    EXPECT_EQ(Range(), "Range: bytes=3-");
}

TEST_F(DownloadTest, LeftoversOfAnotherAddressOrHalfAPairGetFreshNumberedNames) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> before;
        const char* data;
    } cases[] = {
        {"other address",
         {{"C:\\app\\setup.exe.dl", "old"}, {"C:\\app\\setup.exe.dl.cfg", "http://other/x"}},
         "C:\\app\\setup(1).exe.dl"},
        {"data only", {{"C:\\app\\setup.exe.dl", "old"}}, "C:\\app\\setup(1).exe.dl"},
        {"state only", {{"C:\\app\\setup.exe.dl.cfg", kUrl}}, "C:\\app\\setup(1).exe.dl"},
        {"first number taken",
         {{"C:\\app\\setup.exe.dl", "old"}, {"C:\\app\\setup(1).exe.dl.cfg", "x"}},
         "C:\\app\\setup(2).exe.dl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files_.files = c.before;
        Make();
        download_->GetStart();
        EXPECT_EQ(download_->DataPath(), c.data);
        EXPECT_EQ(download_->StatePath(), std::string(c.data) + ".cfg");
        EXPECT_EQ(Range(), "Range: bytes=0-");
        transport_.Respond(200, "Content-Length: 1\r\n");
        transport_.Send("n");
        transport_.End();
        for (const auto& [path, bytes] : c.before) EXPECT_EQ(File(path), bytes) << path;
    }
}

TEST_F(DownloadTest, AReleaseResumesOnlyItsOwnLeftoversAndRemovesThoseOfAnother) {
    constexpr char kData[] = "C:\\app\\setup.exe.dl";
    struct Case {
        const char* name;
        std::string state;
        std::string data;
        const char* range;
        const char* ifRange;  // nullptr: none sent
        const char* dataPath;
        bool removed;
    } cases[] = {
        {"same release", ReleaseState(), "abc", "Range: bytes=3-", nullptr, kData, false},
        {"same release and ETag", ReleaseState('a', 10, "\r\nif-range: \"e1\""), "abc", "Range: bytes=3-",
         "If-Range: \"e1\"", kData, false},
        {"another hash", ReleaseState('b'), "abc", "Range: bytes=0-", nullptr, kData, true},
        {"another size", ReleaseState('a', 11), "abc", "Range: bytes=0-", nullptr, kData, true},
        {"address only", kUrl, "abc", "Range: bytes=0-", nullptr, kData, true},
        {"validator beyond one line", ReleaseState('a', 10, "\r\nif-range: \"e1\"\r\n"), "abc", "Range: bytes=0-",
         nullptr, kData, true},
        {"longer than the release", ReleaseState(), "abcdefghijk", "Range: bytes=0-", nullptr, kData, true},
        {"another address", "http://other/x" + ReleaseState().substr(std::strlen(kUrl)), "abc", "Range: bytes=0-",
         nullptr, "C:\\app\\setup(1).exe.dl", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files_.files.clear();
        Leave(kTarget, c.state, c.data);
        Make();
        download_->Identity = kRelease;
        download_->GetStart();
        EXPECT_EQ(download_->DataPath(), c.dataPath);
        EXPECT_EQ(Range(), c.range);
        const auto& lines = transport_.sent.back().headerLines;
        EXPECT_EQ(lines.size() > 1 ? lines[1] : "<none>", c.ifRange ? c.ifRange : "<none>");
        EXPECT_EQ(File(kData), c.removed ? "<none>" : c.data);
        EXPECT_EQ(File(std::string(kData) + ".cfg"), c.removed ? "<none>" : c.state);
    }
}

TEST_F(DownloadTest, AReleaseRecordsTheServersValidatorAndAChangedFileStartsOver) {
    download_->Identity = kRelease;
    const std::string date = "Tue, 01 Dec 2026 10:00:00 GMT";
    for (const auto& [headers, recorded] : std::vector<std::pair<std::string, std::string>>{
             {"ETag: \"e1\"\r\nLast-Modified: " + date, "\r\nif-range: \"e1\""},
             {"ETag: W/\"e1\"\r\nLast-Modified: " + date, "\r\nif-range: " + date},  // a weak tag proves nothing
             {"ETag: W/\"e1\"", ""},
             {"ETag: \"" + std::string(300, 'x') + "\"", ""},
         }) {
        SCOPED_TRACE(headers);
        files_.files.clear();
        download_->GetStart();
        transport_.Respond(200, "Content-Length: 10\r\n" + headers + "\r\n");
        EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), ReleaseState('a', 10, recorded));
        download_->GetPause();
    }
    files_.files.clear();
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 10\r\nETag: \"e1\"\r\n");
    transport_.Send("abcdefg");
    download_->GetPause();
    download_->GetStart();
    EXPECT_EQ(transport_.sent.back().headerLines, (std::vector<std::string>{"Range: bytes=7-", "If-Range: \"e1\""}));
    // The file changed on the server: it sends the new one whole, and nothing of the old stays.
    transport_.Respond(200, "Content-Length: 3\r\nETag: \"e2\"\r\n");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), ReleaseState('a', 10, "\r\nif-range: \"e2\""));
    transport_.Send("new");
    transport_.End();
    EXPECT_EQ(File(kTarget), "new");
}

TEST_F(DownloadTest, StopDropsTheStateFileSoTheNextStartBeginsUnderNumberedNames) {
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 10\r\n");
    transport_.Send("abcd");
    download_->GetStop();
    EXPECT_EQ(states_.back(), kStopped);
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abcd");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), "<none>");
    download_->GetStart();
    EXPECT_EQ(download_->DataPath(), "C:\\app\\setup(1).exe.dl");
    EXPECT_EQ(Range(), "Range: bytes=0-");
}

TEST_F(DownloadTest, FinishedFileTakesTheFirstFreeNumberedNameBesideAnExistingTarget) {
    files_.files[kTarget] = "old";
    files_.files["C:\\app\\setup(1).exe"] = "older";
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 3\r\n");
    transport_.Send("new");
    transport_.End();
    EXPECT_EQ(File(kTarget), "old");
    EXPECT_EQ(File("C:\\app\\setup(1).exe"), "older");
    EXPECT_EQ(File("C:\\app\\setup(2).exe"), "new");
    EXPECT_EQ(download_->FinishedPath(), "C:\\app\\setup(2).exe");
}

TEST_F(DownloadTest, ResponsesThatCarryNoPartOfTheFileWriteNothing) {
    for (int status : {404, 500, 302, 204}) {
        SCOPED_TRACE(status);
        states_.clear();
        download_->GetStart();
        transport_.Respond(status, "Content-Length: 5\r\n");
        transport_.Send("error");
        EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kHeadersArrived, kStatusRefused}));
        EXPECT_FALSE(download_->Busy());
        EXPECT_TRUE(files_.files.empty());
    }
}

TEST_F(DownloadTest, RequestThatCannotBeSentEndsAtOnce) {
    transport_.refuse = true;
    download_->GetStart();
    EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kNotSent}));
    EXPECT_FALSE(download_->Busy());
}

TEST_F(DownloadTest, WholeFileSentToAResumedRequestReplacesTheDataFile) {
    Leave(kTarget, kUrl, "stale");
    download_->GetStart();
    EXPECT_EQ(Range(), "Range: bytes=5-");
    transport_.Respond(200, "Content-Length: 8\r\n");
    EXPECT_EQ(download_->ResumeOffset(), 0u);
    transport_.Send("complete");
    EXPECT_FLOAT_EQ(progress_.back().percent, 100);
    transport_.End();
    EXPECT_EQ(states_.back(), kFinished);
    EXPECT_EQ(File(kTarget), "complete");
}

TEST_F(DownloadTest, RangeNotSatisfiableFinishesACompleteDataFileOrStartsOver) {
    Leave(kTarget, kUrl, "whole");
    download_->GetStart();
    transport_.Respond(416, "Content-Range: bytes */5\r\n");
    EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kHeadersArrived, kFinished}));
    EXPECT_EQ(File(kTarget), "whole");

    // A data file longer than the resource: the download begins again from 0, once.
    Leave(kTarget, kUrl, "too long");
    states_.clear();
    download_->GetStart();
    transport_.Respond(416, "Content-Range: bytes */3\r\n");
    EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kHeadersArrived, kSending}));
    EXPECT_EQ(Range(), "Range: bytes=0-");
    transport_.Respond(206, "Content-Range: bytes 0-2/3\r\nContent-Length: 3\r\n");
    transport_.Send("new");
    transport_.End();
    EXPECT_EQ(File("C:\\app\\setup(1).exe"), "new");  // the earlier finish took the plain name

    // A second refusal, or one to a request from 0, ends the transfer without touching the files.
    files_.files.clear();
    Leave(kTarget, kUrl, "abc");
    states_.clear();
    download_->GetStart();
    transport_.Respond(416, "");
    transport_.Respond(416, "Content-Range: bytes */9\r\n");
    EXPECT_EQ(states_.back(), kStatusRefused);
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abc");
    EXPECT_EQ(File(kTarget), "<none>");
}

TEST_F(DownloadTest, PartThatIsNotTheRestOfTheFileIsRefused) {
    for (const char* headers : {
             "Content-Range: bytes 0-9/10\r\nContent-Length: 10\r\n",  // starts elsewhere
             "Content-Range: bytes 4-5/10\r\nContent-Length: 2\r\n",   // ends early
             "Content-Range: bytes 4-9/*\r\n",                         // unknown end
             "Content-Range: bytes 4-9/10\r\nContent-Length: 5\r\n",   // lengths disagree
             "Content-Length: 6\r\n",                                  // no range at all
         }) {
        SCOPED_TRACE(headers);
        Leave(kTarget, kUrl, "abcd");
        download_->GetStart();
        transport_.Respond(206, headers);
        EXPECT_EQ(states_.back(), kStatusRefused);
        EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abcd");
    }
    // Without a length the range gives it: an early end is no finished file.
    download_->GetStart();
    transport_.Respond(206, "Content-Range: bytes 4-9/10\r\n");
    transport_.Send("ef");
    transport_.End();
    EXPECT_EQ(states_.back(), kTransferError);
}

TEST_F(DownloadTest, NothingBeyondTheLargestSizeIsTaken) {
    download_->MaxSize = 6;
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 7\r\n");
    EXPECT_EQ(states_.back(), kTooLarge);
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "<none>");
    // Without a length, the bytes themselves cross the limit.
    download_->GetStart();
    transport_.Respond(200, "");
    transport_.Send("abcd");
    transport_.Send("efg");
    EXPECT_EQ(states_.back(), kTooLarge);
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abcd");
    // A data file already longer than the limit is not resumed.
    Leave(kTarget, kUrl, "abcdefgh");
    download_->GetStart();
    EXPECT_EQ(Range(), "Range: bytes=0-");
}

TEST_F(DownloadTest, ConnectionEndingBeforeTheLengthIsATransferErrorAndResumable) {
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 10\r\n");
    transport_.Send("abc");
    transport_.End();
    EXPECT_EQ(states_.back(), kTransferError);
    EXPECT_EQ(File(kTarget), "<none>");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abc");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), kUrl);
    EXPECT_EQ(files_.openWriters, 0);

    download_->GetStart();
    EXPECT_EQ(Range(), "Range: bytes=3-");
    transport_.Respond(206, "Content-Range: bytes 3-9/10\r\nContent-Length: 7\r\n");
    transport_.Send("defghij");
    transport_.Fail(12030);
    EXPECT_EQ(states_.back(), kTransferError);
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abcdefghij");
}

TEST_F(DownloadTest, FullDiskEndsTheTransferAndKeepsWhatWasWritten) {
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 10\r\n");
    files_.spaceLeft = 6;
    transport_.Send("abcd");
    transport_.Send("efgh");
    EXPECT_EQ(states_.back(), kFileError);
    EXPECT_FALSE(transport_.Active());
    EXPECT_EQ(progress_.size(), 1u);
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abcdef");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), kUrl);
    EXPECT_EQ(File(kTarget), "<none>");
    files_.spaceLeft = SIZE_MAX;
    download_->GetStart();
    EXPECT_EQ(Range(), "Range: bytes=6-");
}

TEST_F(DownloadTest, FilesThatCannotBeOpenedOrRenamedEndWithAFileError) {
    for (const char* locked : {"C:\\app\\setup.exe.dl", "C:\\app\\setup.exe.dl.cfg"}) {
        SCOPED_TRACE(locked);
        files_.locked = {locked};
        states_.clear();
        download_->GetStart();
        transport_.Respond(200, "Content-Length: 1\r\n");
        EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kHeadersArrived, kFileError}));
        EXPECT_FALSE(transport_.Active());
        EXPECT_EQ(files_.openWriters, 0);
        files_.files.clear();
    }
    files_.locked.clear();
    files_.failRename = true;
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 1\r\n");
    transport_.Send("x");
    transport_.End();
    EXPECT_EQ(states_.back(), kFileError);
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), kUrl);  // kept: the next start finds it complete
    files_.failRename = false;
    download_->GetStart();
    transport_.Respond(416, "Content-Range: bytes */1\r\n");
    EXPECT_EQ(states_.back(), kFinished);
    EXPECT_EQ(File(kTarget), "x");
}

TEST_F(DownloadTest, SizesBeyondTwoGigabytesKeepTheirTexts) {
    constexpr std::uint64_t kHeld = 3ull << 30;
    Leave(kTarget, kUrl, "");
    files_.claimedLength["C:\\app\\setup.exe.dl"] = kHeld;
    download_->GetStart();
    EXPECT_EQ(Range(), "Range: bytes=3221225472-");
    transport_.Respond(206, "Content-Range: bytes 3221225472-5368709119/5368709120\r\nContent-Length: 2147483648\r\n");
    EXPECT_EQ(download_->TotalSize(), 5ull << 30);
    transport_.Send("x");
    EXPECT_EQ(progress_.back().size, "5.00 GB");
    EXPECT_EQ(progress_.back().held, "3.00 GB");
    EXPECT_NEAR(progress_.back().percent, 60, 0.01);
}

TEST_F(DownloadTest, MissingLengthCountsAsOneByteAndAnyEndFinishes) {
    download_->GetStart();
    transport_.Respond(200, "Content-Type: application/octet-stream\r\n");
    EXPECT_EQ(download_->TotalSize(), 1u);
    transport_.Send("abc");
    EXPECT_FLOAT_EQ(progress_.back().percent, 100);
    transport_.End();
    EXPECT_EQ(states_.back(), kFinished);
}

TEST_F(DownloadTest, HandlersMayPauseStopOrDestroyTheControl) {
    // Pause from a button handled while messages run after a chunk.
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 10\r\n");
    onPump_ = [this] { download_->GetPause(); };
    transport_.Send("ab");
    EXPECT_EQ(states_.back(), kPaused);
    onPump_ = nullptr;

    // Stop from the progress handler: no messages run for the ended transfer.
    download_->HttpState = [this](auto&&...) { download_->GetStop(); };
    download_->GetStart();
    transport_.Respond(206, "Content-Range: bytes 2-9/10\r\nContent-Length: 8\r\n");
    const int pumps = pumps_;
    transport_.Send("cd");
    EXPECT_EQ(states_.back(), kStopped);
    EXPECT_EQ(pumps_, pumps);

    // The owner closes its window, and so destroys the control, on every ending code.
    for (std::int16_t ending : {kFinished, kTransferError, kStatusRefused}) {
        SCOPED_TRACE(ending);
        Make();
        onState_ = [this, ending](std::int16_t state) {
            if (state == ending) download_.reset();
        };
        download_->GetStart();
        transport_.Respond(ending == kStatusRefused ? 404 : 200, "Content-Length: 2\r\n");
        transport_.Send("ab");
        if (ending == kTransferError) transport_.Fail(12030);
        transport_.End();
        EXPECT_FALSE(download_);
        onState_ = nullptr;
        files_.files.clear();
    }
}

TEST_F(DownloadTest, DestroyingABusyControlAbandonsTheRequestAndKeepsBothFiles) {
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 10\r\n");
    transport_.Send("abc");
    download_.reset();
    EXPECT_FALSE(transport_.Active());
    EXPECT_EQ(files_.openWriters, 0);
    EXPECT_EQ(File("C:\\app\\setup.exe.dl"), "abc");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), kUrl);
}

TEST_F(DownloadTest, StateFileHoldsTheAddressInTheAnsiCodePage) {
    download_->URL = "http://host/安装.exe";
    download_->GetStart();
    transport_.Respond(200, "Content-Length: 4\r\n");
    EXPECT_EQ(File("C:\\app\\setup.exe.dl.cfg"), "http://host/\xB0\xB2\xD7\xB0.exe");
    transport_.Send("ab");
    download_->GetPause();
    download_->GetStart();
    EXPECT_EQ(Range(), "Range: bytes=2-");
}

}  // namespace
}  // namespace tf
