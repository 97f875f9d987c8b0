// The update path with the real programs against the local stand-in for the maker's server
// (tests/fixtures/http_server.py on the address built into them, serving tests/update_root).
#include "support/program_test_win.h"

#include "base/controls_win.h"
#include "shell/about_window_win.h"
#include "shell/update_check.h"
#include "shell/tray_menu_win.h"
#include "updater/download.h"
#include "updater/release_info.h"
#include "updater/update_platform_win.h"
#include "updater/velnor_window_win.h"
#include "updater/wininet_download_win.h"
#include "updater/wininet_transport_win.h"

namespace tf::test {
namespace {

constexpr wchar_t kVelnor[] = L"velnor.exe";

std::wstring ServerRoot() { return TestsFolder() + L"\\update_root"; }

void ServeFile(const std::wstring& relative, const std::string& bytes) {
    const std::wstring path = ServerRoot() + L"\\" + relative;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << Narrow(path);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

std::string ReadWhole(const std::wstring& path) {
    std::string bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(f, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(f);
    return bytes;
}

// The old main program: any program whose version resource says 1.0 will do.
const std::string& OldProgram() {
    static const std::string bytes = ReadWhole(DistFolder() + L"\\" + kVelnor);
    return bytes;
}

// The server misbehaves while this lives: ".offline" drops every connection unanswered, ".rate"
// sends bodies at the bytes a second it holds.
class ServerQuirk {
public:
    explicit ServerQuirk(const wchar_t* name, const std::string& content = "") : name_(name) {
        ServeFile(name_, content);
    }
    ~ServerQuirk() { DeleteFileW((ServerRoot() + L"\\" + name_).c_str()); }

private:
    std::wstring name_;
};

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A quirk left by a test that was ended by force would make every later test fail.
void ClearServerQuirks() {
    for (const wchar_t* name : {L".offline", L".rate"}) DeleteFileW((ServerRoot() + L"\\" + name).c_str());
}

void ServeVersion(const std::string& text) {
    CreateDirectoryW((ServerRoot() + L"\\version").c_str(), nullptr);
    CreateDirectoryW((ServerRoot() + L"\\version\\form").c_str(), nullptr);
    ServeFile(L"version\\form\\new.txt", text);
}

// The description's fields after the version for the stub signed as "Tamborvin Form.exe" of `version`:
// size, SHA-256 and signature.
std::string StubSigned(const std::string& version) {
    return ReadWhole(ServerRoot() + L"\\files\\stub.exe." + Widen(version));
}

// `signedFields` empty: a description of five fields, as older servers wrote it.
void ServeRelease(const std::string& fileName, const std::string& query, const std::string& signedFields,
                  const std::string& version = "v1.1", const std::string& served = "stub.exe") {
    ServeVersion(version);
    ServeFile(L"version\\form\\config.txt", std::string(TAMBORVIN_SERVER) + "/files/" + served + query + "|" +
                                                fileName + "|new release|1.2 MB|" + version +
                                                (signedFields.empty() ? "" : "|" + signedFields));
}

std::wstring Text(HWND window, int id) { return WindowText(FindChildById(window, id)); }

class AboutWindowTest : public ProgramTest {
protected:
    void SetUp() override { ClearServerQuirks(); }
    void OpenAbout() {
        PostMessageW(main_, WM_COMMAND, kIdMnuAbout, 0);
        // Shown only once its controls are made.
        about_ = program_->WaitForTopWindow(kAboutWindowClass);
        ASSERT_NE(about_, nullptr) << "the About window did not open";
    }
    // Waits for the check that runs once per opening.
    std::wstring CheckResult() {
        std::wstring text;
        WaitUntil([&] { return !(text = Text(about_, kIdAboutLabel666)).empty(); });
        return text;
    }
    bool ButtonEnabled() { return IsWindowEnabled(FindChildById(about_, kIdAboutVelnor)) != FALSE; }
    void CloseAbout() {
        PostMessageW(about_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about_); }));
    }

    HWND about_ = nullptr;
};

TEST_F(AboutWindowTest, EachOpeningChecksTheServersVersion) {
    StartProgram();
    struct Case {
        const char* served;  // nullptr: the server is down
        const char* label;
        bool enabled;
    };
    const Case cases[] = {
        {"v1.1", kAboutFoundNewVersion, true},
        {"v1.0", kAboutLatestVersion, false},
        {"v1.0\r\n", kAboutLatestVersion, false},
        {"v0.9", kAboutLatestVersion, false},
        {"<html>portal</html>", kAboutCheckFailed, false},
        {nullptr, kAboutCheckFailed, false},
        {"", kAboutCheckFailed, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.served ? c.served : "<down>");
        std::unique_ptr<ServerQuirk> offline;
        if (c.served) {
            ServeVersion(c.served);
        } else {
            offline = std::make_unique<ServerQuirk>(L".offline");
        }
        OpenAbout();
        EXPECT_EQ(WindowText(about_), L"About tamborvin form 1.0");
        EXPECT_EQ(Narrow(CheckResult()), c.label);
        EXPECT_EQ(ButtonEnabled(), c.enabled);
        CloseAbout();
    }
    ExitProgram();
}

TEST_F(AboutWindowTest, ServerSendingAByteASecondNeitherFreezesTheWindowNorHoldsTheCheck) {
    // The whole text would take 13 seconds, each byte well within any time limit of its own; whole,
    // it would be a new version.
    ServeVersion("v1.1         ");
    ServerQuirk slow(L".rate", "1");
    StartProgram();
    OpenAbout();
    Sleep(1500);
    HWND label = FindChildById(about_, kIdAboutLabel666);
    EXPECT_EQ(WindowText(label), L"") << "the check should still be waiting";
    EXPECT_FALSE(ButtonEnabled()) << "the updater's button is enabled before the check has found anything";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(about_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0) << "the window froze";
    EXPECT_EQ(Narrow(CheckResult()), kAboutCheckFailed);
    // The fetch itself let go of the server at the deadline, not only the window.
    EXPECT_TRUE(WaitUntil([] { return !FileExists(ServerRoot() + L"\\.sending"); }, 3s))
        << "the fetch went on after the check gave up";
    CloseAbout();
    ExitProgram();
}

TEST_F(AboutWindowTest, UpdateButtonStartsTheUpdaterAndEndsTheProgram) {
    folder_.CopyProgram(kVelnor);
    ServeVersion("v1.1");
    ServeFile(L"version\\form\\config.txt", "");
    StartProgram();
    OpenAbout();
    ASSERT_EQ(Narrow(CheckResult()), kAboutFoundNewVersion);
    PostCommand(FindChildById(about_, kIdAboutVelnor));
    EXPECT_TRUE(program_->WaitForExit().has_value()) << "the main program did not end";
    HWND velnor = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (velnor = FindWindowW(kVelnorWindowClass, nullptr)) != nullptr && IsWindowVisible(velnor); }));
    DWORD velnorProcess = 0;
    GetWindowThreadProcessId(velnor, &velnorProcess);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, velnorProcess);
    PostMessageW(velnor, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0) << "velnor did not close";
    CloseHandle(process);
}

TEST_F(AboutWindowTest, MissingUpdaterKeepsTheProgramRunning) {
    ServeVersion("v1.1");
    StartProgram();
    OpenAbout();
    ASSERT_EQ(Narrow(CheckResult()), kAboutFoundNewVersion);
    PostCommand(FindChildById(about_, kIdAboutVelnor));
    HWND label = FindChildById(about_, kIdAboutLabel666);
    EXPECT_TRUE(WaitUntil([&] { return Narrow(WindowText(label)) == kAboutUpdaterMissing; }));
    EXPECT_FALSE(program_->WaitForExit(500ms).has_value());
    CloseAbout();
    ExitProgram();
}

class VelnorTest : public ::testing::Test {
protected:
    void SetUp() override { ClearServerQuirks(); }
    // `program` empty: the folder is left without one. `fetched`: returns once the description's
    // fetch has ended.
    void StartVelnor(const std::string& program = OldProgram(), bool fetched = true) {
        // Copied once: an updater that has just ended may still hold its file for a moment.
        if (!folder_.Exists(kVelnor)) folder_.CopyProgram(kVelnor);
        if (!program.empty()) folder_.Write(L"Tamborvin Form.exe", program);
        velnor_ = std::make_unique<Process>(folder_.File(kVelnor), folder_.Path());
        window_ = velnor_->WaitForTopWindow(kVelnorWindowClass);
        ASSERT_NE(window_, nullptr) << "the updater window did not appear";
        // The fetch starts with the first timer tick.
        if (fetched) {
            ASSERT_TRUE(WaitUntil([&] { return !Text(window_, kIdVelnorLabel17).empty(); }));
        }
    }
    std::wstring Status() { return Text(window_, kIdVelnorLabel1); }

    ScratchFolder folder_;
    std::unique_ptr<Process> velnor_;
    HWND window_ = nullptr;
};

TEST_F(VelnorTest, UpdateReplacesTheProgramStartsItAndCloses) {
    ServeRelease(kMainProgramName, "", StubSigned("v1.1"));
    StartVelnor();
    EXPECT_EQ(Text(window_, kIdVelnorV), L"v1.1");
    EXPECT_EQ(Text(window_, kIdVelnorShuoming), L"new release");
    EXPECT_EQ(Text(window_, kIdVelnorSize), L"1.2 MB");
    EXPECT_EQ(Text(window_, kIdVelnorLabel17), folder_.File(L"Tamborvin Form.exe"));
    PostCommand(FindChildById(window_, kIdVelnorCommand1));
    ASSERT_TRUE(velnor_->WaitForExit(30s).has_value()) << "the updater did not close";
    EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), ReadWhole(ServerRoot() + L"\\files\\stub.exe"));
    EXPECT_FALSE(folder_.Exists(L"Tamborvin Form.exe.old"));
    EXPECT_FALSE(folder_.Exists(L"Tamborvin Form.exe.new"));
    // The new program was started from its place.
    ASSERT_TRUE(WaitUntil([&] { return folder_.Exists(L"started.txt"); }));
    EXPECT_EQ(folder_.Read(L"started.txt"), Narrow(folder_.File(L"Tamborvin Form.exe")));

    // With the program gone, what was put in place still keeps the same release from coming back.
    ASSERT_TRUE(WaitUntil([&] { return DeleteFileW(folder_.File(L"Tamborvin Form.exe").c_str()) != FALSE; }));
    StartVelnor("");
    PostCommand(FindChildById(window_, kIdVelnorCommand1));
    EXPECT_TRUE(WaitUntil([&] { return Narrow(Status()) == kStatusNotNewer; })) << Narrow(Status());
    EXPECT_FALSE(folder_.Exists(L"Tamborvin Form.exe"));
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(velnor_->WaitForExit().has_value());
}

TEST_F(VelnorTest, RefusedOrFailedUpdatesKeepTheOldProgram) {
    struct Case {
        const char* what;
        std::string fileName;
        std::string query;
        std::string signature;
        std::string status;
        std::string version = "v1.1";
        std::string program = OldProgram();
    };
    const std::string good = StubSigned("v1.1");
    std::string wrong = good;
    wrong[wrong.size() - 10] = wrong[wrong.size() - 10] == '0' ? '1' : '0';
    const Case cases[] = {
        {"wrong signature", kMainProgramName, "", wrong, kStatusBadSignature},
        {"no signature", kMainProgramName, "", "", kStatusNoSignature},
        {"older signed release", kMainProgramName, "", StubSigned("v1.0"), kStatusNotNewer, "v1.0"},
        {"name leaving the folder", "..\\Tamborvin Form.exe", "", good, kStatusBadFileName},
        {"transfer dropped", kMainProgramName, "?drop=5000", good, StatusText(4)},
        {"missing file", kMainProgramName, "?status=404", good, StatusText(7)},
        // Nothing tells what is installed: this updater's own version proves nothing.
        {"program without version", kMainProgramName, "", good, kStatusUnknownVersion, "v1.1", "not a program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ServeRelease(c.fileName, c.query, c.signature, c.version);
        StartVelnor(c.program);
        PostCommand(FindChildById(window_, kIdVelnorCommand1));
        EXPECT_TRUE(WaitUntil([&] { return Narrow(Status()) == c.status; }, 20s)) << Narrow(Status());
        EXPECT_TRUE(velnor_->Running()) << "the window closed";
        EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), c.program);
        EXPECT_FALSE(folder_.Exists(L"Tamborvin Form.exe.old"));
        EXPECT_FALSE(folder_.Exists(L"started.txt"));
        // Closing the window ends the updater.
        PostMessageW(window_, WM_CLOSE, 0, 0);
        EXPECT_TRUE(velnor_->WaitForExit().has_value());
        velnor_.reset();
    }
}

TEST_F(VelnorTest, ClosedOrKilledDuringTheTransferLeavesTheOldProgramInPlace) {
    for (bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "killed" : "closed");
        ServeRelease(kMainProgramName, "?rate=100000", StubSigned("v1.1"));
        StartVelnor();
        PostCommand(FindChildById(window_, kIdVelnorCommand1));
        ASSERT_TRUE(WaitUntil([&] { return !Text(window_, kIdVelnorLabel12).empty(); }));
        // Mid-download the old program stays where it is.
        EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), OldProgram());
        if (killed) {
            velnor_->Kill();
        } else {
            PostCommand(FindChildById(window_, kIdVelnorImage3), STN_CLICKED);
        }
        ASSERT_TRUE(velnor_->WaitForExit().has_value());
        velnor_.reset();
        EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), OldProgram());
        EXPECT_FALSE(folder_.Exists(L"Tamborvin Form.exe.old"));
        EXPECT_TRUE(folder_.Exists(L"Tamborvin Form.exe.new.dl"));
    }
}

TEST_F(VelnorTest, HalfADownloadOfOneReleaseIsNotResumedIntoTheNext) {
    // One address serves each release in turn. Two builds differ from their first bytes on (their
    // headers), unlike the stub and its copy with bytes appended: v1.1 is served as other bytes of
    // its size, never checked, as its transfer is killed.
    const std::wstring files = ServerRoot() + L"\\files\\";
    const std::string v12 = ReadWhole(files + L"stub12.exe");
    ServeFile(L"files\\release.exe", std::string(ReadWhole(files + L"stub.exe").size(), 'x'));
    ServeRelease(kMainProgramName, "", StubSigned("v1.1"), "v1.1", "release.exe");
    {
        ServerQuirk slow(L".rate", "100000");
        StartVelnor();
        PostCommand(FindChildById(window_, kIdVelnorCommand1));
        ASSERT_TRUE(WaitUntil([&] { return !Text(window_, kIdVelnorLabel12).empty(); }));
        velnor_->Kill();
        ASSERT_TRUE(velnor_->WaitForExit().has_value());
        velnor_.reset();
    }
    ASSERT_TRUE(folder_.Exists(L"Tamborvin Form.exe.new.dl.cfg"));
    ServeFile(L"files\\release.exe", v12);
    ServeRelease(kMainProgramName, "", ReadWhole(files + L"stub12.exe.v1.2"), "v1.2", "release.exe");
    StartVelnor();
    PostCommand(FindChildById(window_, kIdVelnorCommand1));
    ASSERT_TRUE(velnor_->WaitForExit(30s).has_value()) << Narrow(Status());
    EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), v12);
    for (const std::wstring& name : folder_.FileNames()) {
        EXPECT_EQ(name.find(L".dl"), std::wstring::npos) << "stale " << Narrow(name);
    }
}

TEST_F(VelnorTest, StartPutsALeftOverOldProgramBack) {
    folder_.CopyProgram(kVelnor);
    folder_.Write(L"Tamborvin Form.exe.old", OldProgram());
    velnor_ = std::make_unique<Process>(folder_.File(kVelnor), folder_.Path());
    ASSERT_NE(velnor_->WaitForTopWindow(kVelnorWindowClass), nullptr);
    EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), OldProgram());
    EXPECT_FALSE(folder_.Exists(L"Tamborvin Form.exe.old"));
}

TEST_F(AboutWindowTest, StartPutsALeftOverOldProgramBack) {
    // Only the copy is left; the program is started under another name, as a release saved beside
    // it would be.
    exe_ = folder_.CopyProgram(kProgram);
    const std::string program = *folder_.Read(kProgram);
    ASSERT_TRUE(CopyFileW(exe_.c_str(), folder_.File(L"Tamborvin Form (2).exe").c_str(), FALSE));
    ASSERT_TRUE(MoveFileW(exe_.c_str(), folder_.File(L"Tamborvin Form.exe.old").c_str()));
    program_ = std::make_unique<Process>(folder_.File(L"Tamborvin Form (2).exe"), folder_.Path());
    FindMainWindow();
    EXPECT_EQ(folder_.Read(kProgram), program);
    EXPECT_FALSE(folder_.Exists(L"Tamborvin Form.exe.old"));
    ExitProgram();
}

TEST_F(VelnorTest, PauseAndStopKeepTheOldProgramAndUpdateGoesOn) {
    // Slow enough that the buttons land while data is still coming.
    ServeRelease(kMainProgramName, "?rate=60000", StubSigned("v1.1"));
    StartVelnor();
    const std::string stub = ReadWhole(ServerRoot() + L"\\files\\stub.exe");
    for (int button : {kIdVelnorCommand3, kIdVelnorCommand2}) {
        const std::string status = StatusText(button == kIdVelnorCommand2 ? 6 : 5);
        SCOPED_TRACE(status);
        const std::wstring before = Text(window_, kIdVelnorLabel12);
        PostCommand(FindChildById(window_, kIdVelnorCommand1));
        // Data is arriving: the percent moved on.
        ASSERT_TRUE(
            WaitUntil([&] { return Narrow(Status()) == StatusText(3) && Text(window_, kIdVelnorLabel12) != before; }));
        EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), OldProgram());
        PostCommand(FindChildById(window_, button));
        EXPECT_TRUE(WaitUntil([&] { return Narrow(Status()) == status; }))
            << Narrow(Status()) << " " << Narrow(Text(window_, kIdVelnorLabel12));
        EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), OldProgram());
        EXPECT_FALSE(folder_.Exists(L"Tamborvin Form.exe.old"));
    }
    // A third press goes through to the end and closes the window.
    PostCommand(FindChildById(window_, kIdVelnorCommand1));
    ASSERT_TRUE(velnor_->WaitForExit(60s).has_value()) << Narrow(Status());
    EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), stub);
    EXPECT_TRUE(WaitUntil([&] { return folder_.Exists(L"started.txt"); }));
}

TEST_F(VelnorTest, DescriptionFetchLeavesTheWindowAnsweringAndUpdateFetchesAgain) {
    ServeRelease(kMainProgramName, "", StubSigned("v1.1"));
    {
        // Headers a byte a second: no single wait of the fetch runs out, only its deadline.
        ServerQuirk slow(L".rate", "1 head");
        StartVelnor(OldProgram(), false);
        Sleep(1500);
        // First: reading a label would wait for a frozen window.
        DWORD_PTR answer = 0;
        EXPECT_NE(SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0)
            << "the window froze";
        ASSERT_TRUE(Text(window_, kIdVelnorLabel17).empty()) << "the fetch should still be waiting";
        // Waits for the running fetch.
        PostCommand(FindChildById(window_, kIdVelnorCommand1));
        EXPECT_TRUE(WaitUntil([&] { return Narrow(Status()) == kStatusNoRelease; }, 8s));
        PostMessageW(window_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(velnor_->WaitForExit().has_value());
    }
    // Down at first, then back: "Update" fetches the description again and goes on.
    auto offline = std::make_unique<ServerQuirk>(L".offline");
    StartVelnor();
    EXPECT_EQ(Narrow(Status()), kStatusNoRelease);
    SetWindowTextW(FindChildById(window_, kIdVelnorLabel1), L"");
    PostCommand(FindChildById(window_, kIdVelnorCommand1));
    EXPECT_TRUE(WaitUntil([&] { return Narrow(Status()) == kStatusNoRelease; }));
    EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), OldProgram());
    offline.reset();
    PostCommand(FindChildById(window_, kIdVelnorCommand1));
    ASSERT_TRUE(velnor_->WaitForExit(30s).has_value()) << Narrow(Status());
    EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), ReadWhole(ServerRoot() + L"\\files\\stub.exe"));
}

TEST(WinUpdatePlatformTest, AHeldProgramCannotBeChangedAndOnlyAWholeCopyIsComplete) {
    ScratchFolder folder;
    const std::wstring program = folder.CopyProgram(kVelnor);
    const std::wstring moved = folder.File(L"moved.exe");
    auto opens = [&](DWORD access) {
        HANDLE file = CreateFileW(program.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return file != INVALID_HANDLE_VALUE;
    };
    WinUpdatePlatform platform;
    {
        const auto held = platform.Hold(Narrow(program), 1ull << 30);
        ASSERT_NE(held, nullptr);
        EXPECT_FALSE(opens(GENERIC_WRITE));
        EXPECT_FALSE(opens(DELETE));
        EXPECT_FALSE(MoveFileW(program.c_str(), moved.c_str()));
        EXPECT_FALSE(DeleteFileW(program.c_str()));
        // The loader reads the image when the program starts.
        EXPECT_TRUE(opens(GENERIC_READ));
    }
    EXPECT_TRUE(opens(GENERIC_WRITE));
    EXPECT_TRUE(opens(DELETE));
    ASSERT_TRUE(MoveFileW(program.c_str(), moved.c_str()));
    EXPECT_TRUE(DeleteFileW(moved.c_str()));

    // A copy cut short (a power failure on a disk without links) is no program to restore, even
    // where its version resource still reads.
    const std::string whole = OldProgram();
    for (auto [bytes, complete] : {std::pair{whole, true}, std::pair{whole.substr(0, whole.size() - 1), false},
                                   std::pair{std::string("not a program"), false}}) {
        SCOPED_TRACE(bytes.size());
        folder.Write(L"copy.exe", bytes);
        EXPECT_EQ(platform.ProgramComplete(Narrow(folder.File(L"copy.exe"))), complete);
    }
}

// HTTPS downloads. The update_server fixtures make a test CA for the run (make_test_certs.sh),
// trusted by the system while they last, and serve the release over HTTPS on two more ports: with a
// certificate from that CA, and with one nobody trusts.
class HttpsVelnorTest : public VelnorTest {
protected:
    // The release on the HTTPS server with the certificate `cert` ("server" or "untrusted").
    static std::string Https(const wchar_t* cert, const std::string& query = "") {
        const std::string port = ReadWhole(TestsFolder() + L"\\tls\\" + cert + L".port");
        return "https://127.0.0.1:" + port + "/files/stub.exe" + query;
    }
    void ServeReleaseAt(const std::string& address) {
        ServeVersion("v1.1");
        ServeFile(L"version\\form\\config.txt",
                  address + "|" + kMainProgramName + "|new release|1.2 MB|v1.1|" + StubSigned("v1.1"));
    }
};

TEST_F(HttpsVelnorTest, InstallsOverHttpsAndAcrossRedirectsToItsOwnHost) {
    const std::string stub = ReadWhole(ServerRoot() + L"\\files\\stub.exe");
    for (const std::string& address :
         {Https(L"server"), std::string(TAMBORVIN_SERVER) + "/files/stub.exe?redirect=" + Https(L"server"),
          Https(L"server", "?redirects=5")}) {
        SCOPED_TRACE(address);
        ServeReleaseAt(address);
        StartVelnor();
        PostCommand(FindChildById(window_, kIdVelnorCommand1));
        ASSERT_TRUE(velnor_->WaitForExit(30s).has_value()) << Narrow(Status());
        EXPECT_EQ(folder_.Read(L"Tamborvin Form.exe"), stub);
        ASSERT_TRUE(WaitUntil([&] { return folder_.Exists(L"started.txt"); }));
        ASSERT_TRUE(WaitUntil([&] { return DeleteFileW(folder_.File(L"started.txt").c_str()) != FALSE; }));
        // The next address installs the same release again: forget that it was installed.
        ASSERT_TRUE(DeleteFileW(folder_.File(L"velnor.installed").c_str()));
        velnor_.reset();
    }
}

TEST_F(HttpsVelnorTest, UntrustedCertificateOrUnsafeRedirectKeepsTheOldProgram) {
    const std::string port = ReadWhole(TestsFolder() + L"\\tls\\server.port");
    const std::pair<const char*, std::string> cases[] = {
        {"untrusted certificate", Https(L"untrusted")},
        {"redirect to plain http", Https(L"server", "?redirect=" TAMBORVIN_SERVER "/files/stub.exe")},
        {"redirect to another host", Https(L"server", "?redirect=https://localhost:" + port + "/files/stub.exe")},
        {"one redirect too many", Https(L"server", "?redirects=6")},
    };
    for (const auto& [what, address] : cases) {
        SCOPED_TRACE(what);
        ServeReleaseAt(address);
        StartVelnor();
        PostCommand(FindChildById(window_, kIdVelnorCommand1));
        EXPECT_TRUE(WaitUntil([&] { return Narrow(Status()) == StatusText(download_state::kTransferError); }, 20s))
            << Narrow(Status());
        EXPECT_TRUE(folder_.Read(L"Tamborvin Form.exe") == OldProgram()) << "the program was replaced";
        EXPECT_FALSE(folder_.Exists(L"started.txt"));
        PostMessageW(window_, WM_CLOSE, 0, 0);
        EXPECT_TRUE(velnor_->WaitForExit().has_value());
        velnor_.reset();
    }
}

// Each hop is asked with the same header lines: a resumed download must get the rest of the file
// from where the redirect leads, not the whole of it.
TEST_F(HttpsVelnorTest, RedirectedRequestKeepsItsRange) {
    struct Events final : HttpEvents {
        int status = 0;
        std::string body;
        bool ended = false;
        void OnResponseStart(int code, const std::string&) override { status = code; }
        void OnData(std::string_view bytes) override { body.append(bytes); }
        void OnFinished() override { ended = true; }
        void OnError(int) override { ended = true; }
    } events;
    WinInetTransport transport;
    ASSERT_TRUE(transport.Start(Https(L"server", "?redirects=1"), {"Range: bytes=100-"}, events));
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (!events.ended && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        LetPendingMessagesRun();
    }
    EXPECT_EQ(events.status, 206);
    EXPECT_TRUE(events.body == ReadWhole(ServerRoot() + L"\\files\\stub.exe").substr(100)) << events.body.size();
}

}  // namespace
}  // namespace tf::test
