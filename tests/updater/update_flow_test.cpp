#include "updater/update_flow.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "updater/fake_download_world.h"

namespace tf {
namespace {

constexpr char kFolder[] = "C:\\app";
constexpr char kMain[] = "C:\\app\\Tamborvin Form.exe";
constexpr char kOld[] = "C:\\app\\Tamborvin Form.exe.old";
constexpr char kTemporary[] = "C:\\app\\Tamborvin Form.exe.new";
constexpr char kRecord[] = "C:\\app\\velnor.installed";
const std::string kOldProgram = "old program";
const std::string kNewProgram = "new program, signed";

Sha256Digest FakeDigest(const std::string& bytes) {
    Sha256Digest digest{};
    std::size_t h = std::hash<std::string>()(bytes);
    for (std::size_t i = 0; i < digest.size(); ++i) digest[i] = static_cast<std::uint8_t>(h >> (i % 8 * 8)) ^ i;
    return digest;
}

std::string Hex(const Sha256Digest& digest) {
    std::string hex;
    for (std::uint8_t b : digest) {
        hex += "0123456789abcdef"[b >> 4];
        hex += "0123456789abcdef"[b & 15];
    }
    return hex;
}

// A signature the fake key accepts for exactly this statement.
std::string FakeSign(const std::string& statement) { return Hex(FakeDigest(statement)) + Hex(FakeDigest(statement)); }

// The description's fields for `program`, signed for `name`, `version` and `program`'s size and hash.
ReleaseFields Signed(const std::string& name, const std::string& version, const std::string& program) {
    ReleaseStatement statement{name, version, program.size(), FakeDigest(program)};
    return {"http://h/f.exe",
            name,
            "desc",
            "1 KB",
            version,
            std::to_string(program.size()),
            Hex(statement.sha256),
            FakeSign(StatementText(statement))};
}

// The folder, the platform and the download in one: every operation that changes the folder, opens
// the file or starts it may be told to fail, alone (`failAt`) or together with all that follow, as
// when the updater is killed there (`failFrom`). Without `hardLinks` it is a FAT32 disk: no links,
// and a rename over a file is two steps.
class World final : public FileSystem, public UpdatePlatform, public UpdateDownload {
public:
    testing::MemoryFiles disk;
    int operations = 0;
    int failAt = 0;
    int failFrom = 0;
    // Whole programs and their version resources; any other content has none.
    std::map<std::string, Version> programs = {{kOldProgram, {1, 0, 0, 0}}, {kNewProgram, {1, 1, 0, 0}}};
    bool hardLinks = true;
    bool busy = false;
    std::string url, fileName;
    std::uint64_t maxSize = 0;
    Sha256Digest sha256{};
    std::string startedPath, startedProgram;
    int pauses = 0;

    bool Fails() {
        ++operations;
        return operations == failAt || (failFrom && operations >= failFrom);
    }

    bool FileExists(const std::string& path) override { return disk.FileExists(path); }
    std::optional<std::string> ReadAll(const std::string& path, FileError& e) override { return disk.ReadAll(path, e); }
    bool WriteNew(const std::string& path, std::string_view bytes, FileError& e) override {
        // Cut short, the file keeps what went in.
        if (Fails()) return disk.WriteNew(path, bytes.substr(0, bytes.size() / 2), e) && false;
        return disk.WriteNew(path, bytes, e);
    }
    bool Replace(const std::string& from, const std::string& to, FileError& e) override {
        return !Fails() && disk.Replace(from, to, e);
    }
    bool DeleteFile(const std::string& path) override { return !Fails() && disk.DeleteFile(path); }
    std::optional<std::uint64_t> Length(const std::string& path) override { return disk.Length(path); }
    std::unique_ptr<FileWriter> OpenWriter(const std::string& path, std::uint64_t keep, FileError& e) override {
        return disk.OpenWriter(path, keep, e);
    }
    bool Rename(const std::string& from, const std::string& to, FileError& e) override {
        return !Fails() && disk.Rename(from, to, e);
    }

    class Held final : public HeldProgram {
    public:
        Held(World& world, std::string path) : world_(world), path_(std::move(path)) {
            bytes_ = world_.disk.files[path_];
            digest_ = FakeDigest(bytes_);
        }
        std::uint64_t Size() const override { return bytes_.size(); }
        const Sha256Digest& Sha256() const override { return digest_; }
        bool MoveTo(const std::string& path) override {
            if (!world_.hardLinks && world_.disk.FileExists(path) &&
                (world_.Fails() || !world_.disk.DeleteFile(path))) {
                return false;
            }
            if (world_.Fails()) return false;
            world_.disk.files.erase(path_);
            world_.disk.files[path] = bytes_;
            path_ = path;
            return true;
        }
        bool Start() override {
            if (world_.Fails()) return false;
            world_.startedPath = path_;
            world_.startedProgram = bytes_;
            return true;
        }

    private:
        World& world_;
        std::string path_;
        std::string bytes_;
        Sha256Digest digest_;
    };

    std::unique_ptr<HeldProgram> Hold(const std::string& path, std::uint64_t max) override {
        if (Fails() || !disk.FileExists(path) || disk.files[path].size() > max) return nullptr;
        return std::make_unique<Held>(*this, path);
    }
    bool SignatureValid(const std::string& statement, const std::vector<std::uint8_t>& signature) override {
        const auto want = ParseHex(FakeSign(statement), 64);
        return want && *want == signature;
    }
    std::optional<Version> ProgramVersion(const std::string& path) override {
        const auto program = disk.FileExists(path) ? programs.find(disk.files[path]) : programs.end();
        return program != programs.end() ? std::optional(program->second) : std::nullopt;
    }
    bool ProgramComplete(const std::string& path) override { return ProgramVersion(path).has_value(); }
    Version OwnVersion() override { return {1, 0, 0, 0}; }
    bool Link(const std::string& from, const std::string& to) override {
        if (!hardLinks || Fails() || !disk.FileExists(from) || disk.FileExists(to)) return false;
        disk.files[to] = disk.files[from];
        return true;
    }

    void Start(const std::string& u, const std::string& name, std::uint64_t max, const Sha256Digest& sha) override {
        url = u;
        fileName = name;
        maxSize = max;
        sha256 = sha;
        busy = true;
    }
    void Pause() override {
        ++pauses;
        busy = false;
    }
    void Stop() override { busy = false; }
    bool Busy() const override { return busy; }
    std::string FinishedPath() const override { return fileName; }
};

std::string FileIn(World& world, const std::string& path) {
    return world.disk.files.count(path) ? world.disk.files[path] : "<none>";
}

class UpdateFlowTest : public ::testing::Test {
protected:
    UpdateFlowTest() { world_.disk.files[kMain] = kOldProgram; }

    // Update pressed with this release, and the download ending with `arrived` in its file.
    std::string UpdateWith(const ReleaseFields& fields, const std::string& arrived) {
        flow_.SetRelease(fields);
        const std::string refused = flow_.Update();
        if (!world_.busy) return refused;
        world_.busy = false;
        world_.disk.files[world_.fileName] = arrived;
        return flow_.OnDownloadState(download_state::kFinished);
    }
    std::string File(const std::string& path) { return FileIn(world_, path); }

    World world_;
    UpdateFlow flow_{kFolder, world_, world_, world_};
};

TEST_F(UpdateFlowTest, SignedNewerReleaseReplacesTheProgramAndStartsIt) {
    EXPECT_EQ(UpdateWith(Signed(kMainProgramName, "v1.1", kNewProgram), kNewProgram), StatusText(9));
    EXPECT_EQ(world_.fileName, kTemporary);
    EXPECT_EQ(world_.maxSize, kNewProgram.size());
    EXPECT_EQ(world_.sha256, FakeDigest(kNewProgram));  // a half download of another release is not resumed
    EXPECT_EQ(world_.startedPath, kMain);
    EXPECT_EQ(world_.startedProgram, kNewProgram);
    EXPECT_EQ(File(kMain), kNewProgram);
    EXPECT_EQ(File(kOld), "<none>");
    EXPECT_EQ(File(kTemporary), "<none>");
    EXPECT_TRUE(flow_.Started());
}

TEST_F(UpdateFlowTest, ReleaseUnderAnotherNameLeavesTheProgramAndTakesAFreeName) {
    world_.disk.files["C:\\app\\tool.exe"] = "taken";
    EXPECT_EQ(UpdateWith(Signed("tool.exe", "v1.1", kNewProgram), kNewProgram), StatusText(9));
    EXPECT_EQ(File(kMain), kOldProgram);
    EXPECT_EQ(File("C:\\app\\tool.exe"), "taken");
    EXPECT_EQ(world_.startedPath, "C:\\app\\tool(1).exe");
    // The main program's name in another letter case is the main program.
    world_.disk.files.erase("C:\\app\\tool(1).exe");
    EXPECT_EQ(UpdateWith(Signed("TAMBORVIN form.EXE", "v1.2", kNewProgram), kNewProgram), StatusText(9));
    EXPECT_EQ(world_.startedPath, "C:\\app\\TAMBORVIN form.EXE");
    EXPECT_EQ(File(kOld), "<none>");
}

TEST_F(UpdateFlowTest, ReleasesThatAreNotProvedOrNotNewerAreRefusedBeforeAnyDownload) {
    const ReleaseFields good = Signed(kMainProgramName, "v1.1", kNewProgram);
    auto with = [&](std::function<void(ReleaseFields&)> change) {
        ReleaseFields fields = good;
        change(fields);
        return fields;
    };
    struct Case {
        const char* what;
        std::optional<ReleaseFields> fields;
        const char* status;
    };
    const Case cases[] = {
        {"no description", std::nullopt, kStatusNoRelease},
        {"five fields", with([](auto& f) { f.bytes = f.sha256 = f.signature = ""; }), kStatusNoSignature},
        {"bad name", with([](auto& f) { f.Text2 = "..\\Tamborvin Form.exe"; }), kStatusBadFileName},
        {"device name", with([](auto& f) { f.Text2 = "NUL"; }), kStatusBadFileName},
        {"signature of another file",
         with([&](auto& f) { f.signature = Signed(kMainProgramName, "v1.1", "other").signature; }),
         kStatusBadSignature},
        {"signature of another version", with([&](auto& f) { f.v = "v9.9"; }), kStatusBadSignature},
        {"signature of another name", with([&](auto& f) { f.Text2 = "other.exe"; }), kStatusBadSignature},
        {"size changed", with([&](auto& f) { f.bytes = "99999"; }), kStatusBadSignature},
        {"downgrade", Signed(kMainProgramName, "v0.9", kNewProgram), kStatusNotNewer},
        {"same version", Signed(kMainProgramName, "v1.0", kNewProgram), kStatusNotNewer},
        {"no version", Signed(kMainProgramName, "beta", kNewProgram), kStatusNotNewer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        flow_.SetRelease(c.fields);
        EXPECT_EQ(flow_.Update(), c.status);
        EXPECT_FALSE(world_.busy);
        EXPECT_EQ(File(kMain), kOldProgram);
        EXPECT_EQ(world_.disk.files.size(), 1u);
    }
    // The installed program's own version counts, also when it is newer than the updater.
    world_.programs[kOldProgram] = Version{1, 2, 0, 0};
    flow_.SetRelease(good);
    EXPECT_EQ(flow_.Update(), kStatusNotNewer);
}

TEST_F(UpdateFlowTest, DownloadThatDiffersFromTheStatementIsDeletedAndTheOldProgramStays) {
    const ReleaseFields fields = Signed(kMainProgramName, "v1.1", kNewProgram);
    struct Case {
        const char* what;
        std::string arrived;
        const char* status;
    };
    const Case cases[] = {
        {"truncated", kNewProgram.substr(0, 5), kStatusBadSignature},
        {"same size, other bytes", std::string(kNewProgram.size(), 'x'), kStatusBadSignature},
        {"too large", kNewProgram + "!", kStatusCannotCheck},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UpdateWith(fields, c.arrived), c.status);
        EXPECT_EQ(File(kMain), kOldProgram);
        EXPECT_EQ(world_.disk.files.size(), 1u);
        EXPECT_TRUE(world_.startedPath.empty());
    }
}

TEST_F(UpdateFlowTest, DownloadEndingsShowTheirTextAndClosingPausesATransfer) {
    flow_.SetRelease(Signed(kMainProgramName, "v1.1", kNewProgram));
    EXPECT_EQ(flow_.Update(), "");
    EXPECT_EQ(flow_.Update(), "");  // busy: nothing new starts
    EXPECT_EQ(flow_.OnDownloadState(download_state::kTooLarge), kStatusTooLarge);
    EXPECT_EQ(flow_.OnDownloadState(download_state::kTransferError), StatusText(4));
    flow_.Close();
    EXPECT_EQ(world_.pauses, 1);
    flow_.Close();
    EXPECT_EQ(world_.pauses, 1);
    EXPECT_EQ(File(kMain), kOldProgram);
}

TEST_F(UpdateFlowTest, AFailureOrAKillAtAnyStepLeavesTheRightProgram) {
    // The program in place after a failure at each step in turn ('o' old, 'n' new), the next start
    // having put a left-over copy back; the last: nothing failed. A single failure leaves the new
    // program only once it has started or where the failing step had no bearing on it; a kill leaves
    // it once it has been moved in.
    struct Case {
        bool hardLinks;
        bool killed;
        const char* programs;
    };
    const Case cases[] = {
        // Delete ".new", hold, delete ".old", link, move, start, write record, name it, delete ".old".
        {true, false, "nonnoonnnn"},
        {true, true, "ooooonnnnn"},
        // Delete ".new", hold, delete ".old", write the copy, name it ".old", delete the program and
        // rename (a move on FAT32), start, write record, name it, delete ".old".
        {false, false, "nonooooonnnn"},
        {false, true, "ooooooonnnnn"},
    };
    for (const Case& c : cases) {
        const std::string programs = c.programs;
        for (std::size_t step = 1; step <= programs.size(); ++step) {
            SCOPED_TRACE(std::string(c.hardLinks ? "" : "FAT32, ") + (c.killed ? "killed" : "failed") + " at step " +
                         std::to_string(step));
            World world;
            world.hardLinks = c.hardLinks;
            world.disk.files[kMain] = kOldProgram;
            (c.killed ? world.failFrom : world.failAt) = static_cast<int>(step);
            UpdateFlow flow(kFolder, world, world, world);
            flow.SetRelease(Signed(kMainProgramName, "v1.1", kNewProgram));
            flow.Update();
            world.disk.files[world.fileName] = kNewProgram;
            const std::string status = flow.OnDownloadState(download_state::kFinished);
            world.failAt = world.failFrom = 0;
            EXPECT_TRUE(RestoreLeftOverProgram(world, world, kFolder));
            EXPECT_EQ(FileIn(world, kMain), programs[step - 1] == 'n' ? kNewProgram : kOldProgram) << status;
            EXPECT_EQ(flow.Started(), status == StatusText(9)) << status;
            EXPECT_EQ(world.startedProgram, flow.Started() ? kNewProgram : "");
            if (step == programs.size()) {
                EXPECT_LT(world.operations, static_cast<int>(step)) << "steps beyond the table";
            }
        }
    }
}

TEST_F(UpdateFlowTest, NoReleaseOlderThanTheNewestInstalledHereComesBack) {
    const std::string record = [&] {
        World world;
        world.disk.files[kMain] = kOldProgram;
        UpdateFlow flow(kFolder, world, world, world);
        flow.SetRelease(Signed(kMainProgramName, "v1.2", kNewProgram));
        flow.Update();
        world.disk.files[world.fileName] = kNewProgram;
        EXPECT_EQ(flow.OnDownloadState(download_state::kFinished), StatusText(9));
        return FileIn(world, kRecord);
    }();
    std::string forged = record;
    forged.replace(forged.find("v1.2"), 4, "v1.9");
    struct Case {
        const char* what;
        std::map<std::string, std::string> folder;
        const char* v11;  // the status of a signed v1.1 of the main program
    };
    const Case cases[] = {
        {"program 1.0", {{kMain, kOldProgram}}, ""},
        {"nothing", {}, kStatusUnknownVersion},
        {"a program without version", {{kMain, "?"}}, kStatusUnknownVersion},
        {"only a whole copy", {{kOld, kOldProgram}}, ""},
        {"only a part of a copy", {{kOld, kOldProgram.substr(3)}}, kStatusUnknownVersion},
        {"only the record of 1.2", {{kRecord, record}}, kStatusNotNewer},
        {"program 1.0, record of 1.2", {{kMain, kOldProgram}, {kRecord, record}}, kStatusNotNewer},
        {"only a record that does not verify", {{kRecord, forged}}, kStatusUnknownVersion},
        {"only a record cut short", {{kRecord, record.substr(0, record.size() - 1)}}, kStatusUnknownVersion},
        {"only an empty record", {{kRecord, ""}}, kStatusUnknownVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world_.disk.files = c.folder;
        world_.busy = false;
        flow_.SetRelease(Signed(kMainProgramName, "v1.1", kNewProgram));
        EXPECT_EQ(flow_.Update(), c.v11);
        EXPECT_EQ(world_.busy, std::string(c.v11).empty());
    }
    world_.disk.files = {{kRecord, record}};
    flow_.SetRelease(Signed(kMainProgramName, "v1.3", kNewProgram));
    EXPECT_EQ(flow_.Update(), "");
}

TEST(RestoreLeftOverProgram, PutsAWholeCopyBackOnlyWhenTheProgramIsMissing) {
    World world;
    testing::MemoryFiles& files = world.disk;
    EXPECT_FALSE(RestoreLeftOverProgram(world, world, kFolder));
    // A copy cut short is left where it is, not made the program.
    files.files[kOld] = kOldProgram.substr(0, 5);
    EXPECT_FALSE(RestoreLeftOverProgram(world, world, kFolder));
    EXPECT_FALSE(files.FileExists(kMain));
    files.files[kOld] = kOldProgram;
    EXPECT_TRUE(RestoreLeftOverProgram(world, world, kFolder));
    EXPECT_EQ(files.files[kMain], kOldProgram);
    EXPECT_FALSE(files.FileExists(kOld));
    files.files[kOld] = kNewProgram;
    EXPECT_TRUE(RestoreLeftOverProgram(world, world, kFolder));
    EXPECT_EQ(files.files[kMain], kOldProgram);
    EXPECT_EQ(files.files[kOld], kNewProgram);
}

TEST(ReleaseStatement, TextVersionsAndFields) {
    const ReleaseStatement statement{"Tamborvin Form.exe", "v1.1", 5368709120ull, FakeDigest("x")};
    EXPECT_EQ(StatementText(statement),
              "Tamborvin Form release\nname: Tamborvin Form.exe\nversion: v1.1\nsize: "
              "5368709120\nsha256: " +
                  Hex(statement.sha256) + "\n");
    EXPECT_EQ(ParseVersion("v1.1"), (Version{1, 1, 0, 0}));
    EXPECT_EQ(ParseVersion("V2.0.3.65535"), (Version{2, 0, 3, 65535}));
    EXPECT_EQ(ParseVersion("7"), (Version{7, 0, 0, 0}));
    for (const char* bad : {"", "v", "v1.", "v.1", "v1.1.1.1.1", "v1.65536", "v1.1\r\n", "v1,1", "1.0b", "vv1"}) {
        EXPECT_FALSE(ParseVersion(bad)) << bad;
    }
    const std::string hash = Hex(statement.sha256);
    const std::string sig(128, 'A');
    EXPECT_TRUE(ParseSignedRelease("a.exe", "v1", "12", hash, sig + "\r\n"));
    for (auto [name, version, size, digest, signature] : {
             std::tuple{"a.exe", "v1", "12", hash, sig.substr(1)},
             std::tuple{"a.exe", "v1", "12", hash.substr(2), sig},
             std::tuple{"a.exe", "v1", "12", std::string(64, 'g'), sig},
             std::tuple{"a.exe", "v1", "-1", hash, sig},
             std::tuple{"a.exe", "v1\nsize: 1", "12", hash, sig},
             std::tuple{"a\r.exe", "v1", "12", hash, sig},
         }) {
        EXPECT_FALSE(ParseSignedRelease(name, version, size, digest, signature)) << version << " " << size;
    }
}

}  // namespace
}  // namespace tf
