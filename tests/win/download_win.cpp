// The download control against a real HTTP server on the loopback (tests/fixtures/http_server.py,
// started around these tests), with real files in a folder whose name is not in the code page.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>

#include "base/http_get_win.h"
#include "base/windows_api_win.h"
#include "updater/download_names.h"
#include "updater/wininet_download_win.h"

namespace tf {
namespace {

using namespace download_state;

std::string ExeFolder() { return ProgramFolder(); }

int ServerPort() {
    FileError error;
    const auto text = NativeFileSystem().ReadAll(ExeFolder() + "\\http_server.port", error);
    return text ? std::atoi(text->c_str()) : 0;
}

std::string Address(const std::string& path) { return "http://127.0.0.1:" + std::to_string(ServerPort()) + path; }

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// A file the server hands out, written once per test program.
void Serve(const std::string& name, const std::string& bytes) {
    const std::string root = ExeFolder() + "\\http_root";
    CreateDirectoryW(Widen(root).c_str(), nullptr);
    FileError error;
    ASSERT_TRUE(NativeFileSystem().WriteNew(root + "\\" + name, bytes, error)) << error.description;
}

// Up to a terabyte: beyond it the shell's own digits drift from the exact ones (18.3 TB for
// 18.40000024 TB), and no download of the updater comes near it.
TEST(DownloadByteSize, MatchesTheShellsOwnTexts) {
    for (std::uint64_t v = 0; v < (1ull << 40); v = v * 1003 / 1000 + 1) {
        char shell[128] = {};
        StrFormatByteSize64A(static_cast<LONGLONG>(v), shell, sizeof shell);
        ASSERT_EQ(FormatByteSize(v), shell) << v;
        if (v <= 0x7fffffff) {
            StrFormatByteSizeA(static_cast<DWORD>(v), shell, sizeof shell);
            ASSERT_EQ(FormatByteSize(v), shell) << v;
        }
    }
}

class DownloadWinInet : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        file_ = new std::string(RandomBytes(5 * 1024 * 1024, 7));
        Serve("setup.exe", *file_);
        Serve("version.txt", "v1.1");
        Serve("notes.txt", std::string(1000, 'n'));
    }
    static void TearDownTestSuite() { delete file_; }

    void SetUp() override {
        ASSERT_NE(ServerPort(), 0) << "the HTTP server's port file is missing";
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = Narrow(temp) + "tf-dl-" + std::to_string(GetCurrentProcessId()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-下载";
        ASSERT_TRUE(CreateDirectoryW(Widen(folder_).c_str(), nullptr)) << GetLastError();
        target_ = folder_ + "\\setup.exe";
        down_ = std::make_unique<WinInetDownload>();
        (*down_)->FileName = target_;
        (*down_)->StateChanged = [this](std::int16_t state) { states_.push_back(state); };
        (*down_)->HttpState = [this](const std::string&, float percent, const std::string&, const std::string&) {
            ++chunks_;
            percent_ = percent;
            if (onChunk_) onChunk_();
        };
    }
    void TearDown() override {
        down_.reset();
        for (const std::string& name : Names()) DeleteFileW(Widen(folder_ + "\\" + name).c_str());
        RemoveDirectoryW(Widen(folder_).c_str());
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found{};
        HANDLE find = FindFirstFileW(Widen(folder_ + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(found.cFileName));
        } while (FindNextFileW(find, &found));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Read(const std::string& name) {
        FileError error;
        return NativeFileSystem().ReadAll(folder_ + "\\" + name, error).value_or("<none>");
    }

    // Starts and runs the thread's messages until the transfer ends; the state it ended with.
    std::int16_t Run(const std::string& url) {
        (*down_)->URL = url;
        const std::size_t before = states_.size();
        (*down_)->GetStart();
        const ULONGLONG deadline = GetTickCount64() + 60000;
        while ((*down_)->Busy() && GetTickCount64() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            LetPendingMessagesRun();
        }
        EXPECT_FALSE((*down_)->Busy()) << "the transfer did not end in time";
        return states_.size() > before ? states_.back() : 0;
    }

    // Ends the transfer from a timer message, the way a button would, once the first chunk is in.
    void AfterFirstChunk(void (Download::*action)()) {
        action_ = action;
        current_ = this;
        onChunk_ = [] {
            SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR id, DWORD) {
                KillTimer(nullptr, id);
                if (current_->action_) (current_->down_->control().*(current_->action_))();
                current_->action_ = nullptr;
            });
        };
    }

    static std::string* file_;
    static DownloadWinInet* current_;
    std::string folder_;
    std::string target_;
    std::unique_ptr<WinInetDownload> down_;
    std::vector<std::int16_t> states_;
    int chunks_ = 0;
    float percent_ = 0;
    std::function<void()> onChunk_;
    void (Download::*action_)() = nullptr;
};

std::string* DownloadWinInet::file_ = nullptr;
DownloadWinInet* DownloadWinInet::current_ = nullptr;

TEST_F(DownloadWinInet, FiveMegabytesArriveByteIdentical) {
    EXPECT_EQ(Run(Address("/setup.exe")), kFinished);
    EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kHeadersArrived, kReceiving, kFinished}));
    EXPECT_GT(chunks_, 1);
    EXPECT_FLOAT_EQ(percent_, 100);
    EXPECT_EQ(Names(), std::vector<std::string>{"setup.exe"});
    EXPECT_TRUE(Read("setup.exe") == *file_);
}

TEST_F(DownloadWinInet, ConnectionsDroppedByTheServerResumeUntilComplete) {
    // The server ends every answer after 1.3 MB: each start resumes from what the data file holds.
    const std::string url = Address("/setup.exe?dropafter=1300000");
    std::vector<std::uint64_t> offsets;
    std::int16_t state = 0;
    for (int attempt = 0; attempt < 8 && state != kFinished; ++attempt) {
        state = Run(url);
        offsets.push_back((*down_)->ResumeOffset());
        if (state != kFinished) {
            EXPECT_EQ(state, kTransferError);
            EXPECT_EQ(Read("setup.exe.dl").size(), offsets.back() + 1300000);
        }
    }
    EXPECT_EQ(state, kFinished);
    EXPECT_EQ(offsets, (std::vector<std::uint64_t>{0, 1300000, 2600000, 3900000, 5200000}));
    EXPECT_EQ(Names(), std::vector<std::string>{"setup.exe"});
    EXPECT_TRUE(Read("setup.exe") == *file_);
}

TEST_F(DownloadWinInet, PauseThenStartContinuesFromTheDataFile) {
    const std::string url = Address("/setup.exe?rate=4000000");
    AfterFirstChunk(&Download::GetPause);
    EXPECT_EQ(Run(url), kPaused);
    const std::size_t held = Read("setup.exe.dl").size();
    EXPECT_GT(held, 0u);
    EXPECT_LT(held, file_->size());
    EXPECT_EQ(Read("setup.exe.dl.cfg"), url);

    onChunk_ = nullptr;
    EXPECT_EQ(Run(url), kFinished);
    EXPECT_EQ((*down_)->ResumeOffset(), held);
    EXPECT_EQ(Names(), std::vector<std::string>{"setup.exe"});
    EXPECT_TRUE(Read("setup.exe") == *file_);
}

TEST_F(DownloadWinInet, StopThenStartBeginsAgainUnderNumberedNames) {
    const std::string url = Address("/setup.exe?rate=4000000");
    AfterFirstChunk(&Download::GetStop);
    EXPECT_EQ(Run(url), kStopped);
    EXPECT_EQ(Names(), std::vector<std::string>{"setup.exe.dl"});

    onChunk_ = nullptr;
    EXPECT_EQ(Run(Address("/setup.exe")), kFinished);
    EXPECT_EQ((*down_)->DataPath(), folder_ + "\\setup(1).exe.dl");
    EXPECT_EQ((*down_)->ResumeOffset(), 0u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"setup.exe", "setup.exe.dl"}));
    EXPECT_TRUE(Read("setup.exe") == *file_);
}

TEST_F(DownloadWinInet, ServersThatIgnoreTheRangeOrHaveNothingMoreToSend) {
    // A server without ranges sends the whole file again: the data file starts over.
    const std::string url = Address("/setup.exe?norange=1");
    FileError error;
    ASSERT_TRUE(NativeFileSystem().WriteNew(target_ + ".dl", "stale bytes", error));
    ASSERT_TRUE(NativeFileSystem().WriteNew(target_ + ".dl.cfg", url, error));
    EXPECT_EQ(Run(url), kFinished);
    EXPECT_TRUE(Read("setup.exe") == *file_);

    // A data file that is complete already is answered with 416 and put in place as it is.
    ASSERT_TRUE(NativeFileSystem().Rename(target_, target_ + ".dl", error));
    ASSERT_TRUE(NativeFileSystem().WriteNew(target_ + ".dl.cfg", Address("/setup.exe"), error));
    states_.clear();
    EXPECT_EQ(Run(Address("/setup.exe")), kFinished);
    EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kHeadersArrived, kFinished}));
    EXPECT_EQ(Names(), std::vector<std::string>{"setup.exe"});
    EXPECT_TRUE(Read("setup.exe") == *file_);
}

TEST_F(DownloadWinInet, FailuresBeforeAnyDataWriteNothing) {
    EXPECT_EQ(Run(Address("/missing.exe")), kStatusRefused);
    EXPECT_EQ(states_, (std::vector<std::int16_t>{kSending, kHeadersArrived, kStatusRefused}));
    EXPECT_EQ(Run(Address("/setup.exe?status=500")), kStatusRefused);

    // Nothing listens on port 1 of the loopback.
    const std::int16_t unreachable = Run("http://127.0.0.1:1/setup.exe");
    EXPECT_TRUE(unreachable == kTransferError || unreachable == kNotSent) << unreachable;
    EXPECT_EQ(Run("http://"), kNotSent);
    EXPECT_TRUE(Names().empty());
}

// Every notification of one request, in order, as one letter each (S start, D data, F finished,
// E error), with the status and the bytes.
struct Recorder final : HttpEvents {
    std::string order;
    int status = 0;
    std::string body;
    void OnResponseStart(int code, const std::string&) override {
        order += 'S';
        status = code;
    }
    void OnData(std::string_view bytes) override {
        if (order.empty() || order.back() != 'D') order += 'D';
        body.append(bytes);
    }
    void OnFinished() override { order += 'F'; }
    void OnError(int) override { order += 'E'; }
};

void RunUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (GetTickCount64() < deadline && !done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        LetPendingMessagesRun();
    }
}

TEST_F(DownloadWinInet, TransportDeliversWholeRangedAndDroppedBodiesInOrder) {
    const std::string& file = *file_;
    WinInetTransport transport;
    Recorder whole;
    ASSERT_TRUE(transport.Start(Address("/setup.exe"), {}, whole));
    RunUntil([&] { return whole.order.find_first_of("FE") != std::string::npos; });
    EXPECT_EQ(whole.order, "SDF");
    EXPECT_EQ(whole.status, 200);
    EXPECT_TRUE(whole.body == file);

    // A range from the middle, then a connection the server drops: the bytes stop short, no error.
    Recorder ranged;
    ASSERT_TRUE(transport.Start(Address("/setup.exe"), {"Range: bytes=3000000-"}, ranged));
    RunUntil([&] { return ranged.order.find_first_of("FE") != std::string::npos; });
    EXPECT_EQ(ranged.order, "SDF");
    EXPECT_EQ(ranged.status, 206);
    EXPECT_TRUE(ranged.body == file.substr(3000000));

    Recorder dropped;
    ASSERT_TRUE(transport.Start(Address("/setup.exe?dropafter=1300000"), {}, dropped));
    RunUntil([&] { return dropped.order.find_first_of("FE") != std::string::npos; });
    EXPECT_EQ(dropped.order, "SDF");
    EXPECT_TRUE(dropped.body == file.substr(0, 1300000));

    Recorder refused;
    ASSERT_TRUE(transport.Start("http://127.0.0.1:1/setup.exe", {}, refused));
    RunUntil([&] { return !refused.order.empty(); });
    EXPECT_EQ(refused.order, "E");
    EXPECT_FALSE(transport.Start("http://", {}, refused));
}

TEST_F(DownloadWinInet, AbandonedRequestsReportNothingAndFreeTheirHandles) {
    Recorder recorder;
    WinInetTransport transport;
    for (int i = 0; i < 6; ++i) {
        // Some answers trickle in, so that the abandoned read is still waiting for bytes.
        const std::string url = Address(i % 3 == 2 ? "/setup.exe?rate=2000000" : "/setup.exe");
        ASSERT_TRUE(transport.Start(url, {}, recorder));
        if (i % 2) Sleep(20);  // some are abandoned while their answer is already on its way
        transport.Abandon();
    }
    RunUntil([] { return WinInetTransport::OpenRequests() == 0; });
    Sleep(200);
    LetPendingMessagesRun();
    EXPECT_EQ(recorder.order, "");
    EXPECT_EQ(WinInetTransport::OpenRequests(), 0);
}

// The small fetch of the version text and the release description: a whole answer of status 200 in
// time, or nothing.
TEST_F(DownloadWinInet, HttpGetTextTakesOnlyAWholeSmallAnswerInTime) {
    const struct {
        std::string url;
        unsigned limitMs;
        std::optional<std::string> body;
    } cases[] = {
        {Address("/version.txt"), 5000, "v1.1"},
        {Address("/notes.txt"), 5000, std::string(1000, 'n')},
        {Address("/missing.txt"), 5000, std::nullopt},
        {Address("/version.txt?status=500"), 5000, std::nullopt},
        {Address("/notes.txt?drop=600"), 5000, std::nullopt},
        // Larger than any text of ours, with its length or streaming without one.
        {Address("/setup.exe"), 5000, std::nullopt},
        {Address("/setup.exe?nolength=1"), 5000, std::nullopt},
        // A byte a second: each byte comes in time, the whole text does not.
        {Address("/version.txt?rate=1"), 1500, std::nullopt},
        {"http://127.0.0.1:1/version.txt", 5000, std::nullopt},
        {"http://", 5000, std::nullopt},
        {"ftp://127.0.0.1/version.txt", 5000, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        const std::optional<std::string> body = HttpGetText(c.url, c.limitMs);
        EXPECT_EQ(body.has_value(), c.body.has_value());
        if (body && c.body) {
            EXPECT_EQ(*body, *c.body);
        }
    }
}

}  // namespace
}  // namespace tf
