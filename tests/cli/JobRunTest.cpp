#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "CliFiles.h"
#include "CliProcess.h"
#include "image/IntelHex.h"
#include "station/FileDigest.h"
#include "station/RecordSpool.h"
#include "station/RecordStore.h"
#include "tests/support/PgServer.h"

namespace nembra::testing {
namespace {

using ::testing::HasSubstr;

// A job on four simulated pods whose serial number (two words, low word
// first) lies at 0x3F4000, in sector B, outside the program.
class JobRun : public ::testing::Test {
protected:
    std::string WriteJob(const std::string& store, uint64_t last = 9999, const std::string& sha = "") const {
        std::ofstream(jobPath) << "name = \"line 2\"\ndevice = \"f2812\"\ncommand = \"write\"\nprogram = \"app.out\"\n"
                               << "program_sha256 = \"" << (sha.empty() ? station::FileSha256(files.f2812) : sha)
                               << "\"\n[serial]\naddress = 0x3F4000\nwords = 2\nencoding = \"binary-low-first\"\n"
                               << "first = 1000\nstep = 1\nlast = " << last << "\n[records]\nstore = \"" << store
                               << "\"\n";
        return jobPath;
    }

    std::vector<std::string> Args(const std::string& state, std::vector<std::string> extra) const {
        std::vector<std::string> args{"--sim=" + state, "--sim-pods", "4", "--sim-target-hex", HexPath(state)};
        args.insert(args.end(), extra.begin(), extra.end());
        args.insert(args.end(), {"run", jobPath});
        return args;
    }
    CliRun Run(std::vector<std::string> extra = {}) const {
        return RunTool(Args(files.state, extra), files.dir.path());
    }

    static std::string HexPath(const std::string& state) { return state + ".board.hex"; }
    static std::string PodHex(const std::string& state, int pod) {
        return state + ".board.SIM0000" + std::to_string(pod) + ".hex";
    }

    // The number the pod's target holds at 0x3F4000; none when it was not written.
    static std::optional<uint64_t> TargetSerial(const std::string& state, int pod) {
        if (!std::filesystem::exists(PodHex(state, pod))) return std::nullopt;
        WordMap words;
        std::string error;
        if (!ReadIntelHex(ReadText(PodHex(state, pod)), words, error)) return std::nullopt;
        return words[0x3F4000] | (static_cast<uint64_t>(words[0x3F4001]) << 16);
    }

    std::vector<station::BoardRow> Rows(const std::string& location) const {
        station::StoreStatus status;
        auto store = station::OpenRecordStore(location, status);
        std::vector<station::BoardRow> rows;
        if (store == nullptr) return rows;
        store->List({}, rows);
        return rows;
    }

    bool AnyPodTouched(const std::string& state) const {
        for (int pod = 1; pod <= 4; ++pod)
            if (std::filesystem::exists(PodHex(state, pod))) return true;
        return false;
    }

    CliFiles files;
    std::string jobPath = files.Path("line2.toml");
    std::string sqlite = files.Path("line2.sqlite");
};

TEST_F(JobRun, EachPodWritesItsOwnNumberAndEachBoardItsRow) {
    WriteJob("line2.sqlite");
    const CliRun run = Run();
    ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
    EXPECT_THAT(run.out, HasSubstr("4 pods: 4 succeeded, 0 failed"));
    std::set<uint64_t> written;
    for (int pod = 1; pod <= 4; ++pod) {
        const auto number = TargetSerial(files.state, pod);
        ASSERT_TRUE(number) << pod;
        written.insert(*number);
    }
    EXPECT_EQ(written, (std::set<uint64_t>{1000, 1001, 1002, 1003}));
    const auto rows = Rows(sqlite);
    ASSERT_EQ(rows.size(), 4u);
    for (const station::BoardRow& row : rows) {
        EXPECT_EQ(row.job, "line 2");
        EXPECT_EQ(row.result, 0);
        ASSERT_TRUE(row.boardSerial && row.podSerial);
        const int pod = row.podSerial->back() - '0';
        EXPECT_EQ(TargetSerial(files.state, pod), row.boardSerial) << *row.podSerial;
        EXPECT_TRUE(row.fileSha256.has_value());
        EXPECT_FALSE(row.station.empty());
    }
}

TEST_F(JobRun, AFailedBoardsNumberGoesBackAndIsTheNextOneGiven) {
    WriteJob("line2.sqlite");
    const CliRun failed = Run({"--json", "--sim-fault", "unplug:O:5@SIM00002"});
    ASSERT_EQ(failed.exitCode, 1) << failed.err << failed.out;
    const auto json = nlohmann::json::parse(failed.out);
    uint64_t lost = 0;
    for (const auto& pod : json["pods"])
        if (pod["serial"] == "SIM00002") lost = pod["boardSerial"].get<uint64_t>();
    ASSERT_NE(lost, 0u) << failed.out;
    const CliRun next = Run({"--pod", "SIM00003"});
    ASSERT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(TargetSerial(files.state, 3), lost);
    const auto rows = Rows(sqlite);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [&](const auto& r) { return r.boardSerial == lost; }), 2);
}

TEST_F(JobRun, FewerNumbersThanBoardsStopBeforeAnyPod) {
    WriteJob("line2.sqlite", 1002);
    const CliRun run = Run();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err,
                HasSubstr("No pod was touched: job \"line 2\" has only 3 serial number(s) left for 4 board(s)"));
    EXPECT_FALSE(AnyPodTouched(files.state));
    EXPECT_TRUE(Rows(sqlite).empty());
}

TEST_F(JobRun, AStoreThatCannotBeReachedStopsBeforeAnyPod) {
    WriteJob("postgresql:///nembra?host=" + files.Path("no-server") + "&port=1");
    const CliRun run = Run();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("No pod was touched: the record store"));
    EXPECT_THAT(run.err, HasSubstr("cannot be reached"));
    EXPECT_FALSE(AnyPodTouched(files.state));
}

TEST_F(JobRun, AProgramThatIsNotTheJobsIsRefusedNamingBothHashes) {
    const std::string wrong(64, 'a');
    WriteJob("line2.sqlite", 9999, wrong);
    const CliRun run = Run();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("The job has 1 problem(s):"));
    EXPECT_THAT(run.err, HasSubstr(wrong));
    EXPECT_THAT(run.err, HasSubstr(station::FileSha256(files.f2812)));
    EXPECT_FALSE(AnyPodTouched(files.state));
    EXPECT_FALSE(std::filesystem::exists(sqlite));
}

TEST_F(JobRun, AJobWithCsmKeysRefusesATrace) {
    WriteJob("line2.sqlite");
    const std::string keys = files.Path("line2.keys");
    std::ofstream(keys) << "1234 FFFF FFFF FFFF FFFF FFFF FFFF FFFF\n";
    ::chmod(keys.c_str(), 0600);
    std::string text = ReadText(jobPath);
    text.insert(text.find("[serial]"), "csm_keys_file = \"line2.keys\"\n");
    std::ofstream(jobPath) << text;
    const CliRun run = Run({"--trace", files.Path("t.trace")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("--trace is refused for a job with a CSM key file: the trace would carry the keys"));
    EXPECT_FALSE(AnyPodTouched(files.state));
}

// The keys reach the pod and nothing else: no line, no JSON, no --log record, no row.
TEST_F(JobRun, TheKeysOfAJobAppearInNoOutputOrRecord) {
    WriteJob("line2.sqlite");
    const std::string keys = files.Path("line2.keys");
    std::ofstream(keys) << "BEEF CAFE D00D FACE 0BAD F00D DEAD C0DE\n";
    ::chmod(keys.c_str(), 0600);
    std::string text = ReadText(jobPath);
    text.insert(text.find("[serial]"), "csm_keys_file = \"line2.keys\"\n");
    std::ofstream(jobPath) << text;
    const std::string log = files.Path("boards.jsonl");
    const CliRun run = Run({"--json", "--log", log});
    ASSERT_NE(run.exitCode, 2) << run.err;
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const station::BoardRow& row : Rows(sqlite)) rows.push_back(station::RowToJson(row));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0]["csmKeysUsed"], true);
    for (const std::string& where : {run.out, run.err, ReadText(log), rows.dump()})
        for (const char* key : {"BEEF", "CAFE", "D00D", "FACE", "0BAD", "F00D", "DEAD", "C0DE"})
            EXPECT_EQ(where.find(key), std::string::npos) << key << " in " << where;
}

TEST_F(JobRun, APodTheJobDoesNotNameIsRefused) {
    WriteJob("line2.sqlite");
    std::string text = ReadText(jobPath);
    text.insert(text.find("[serial]"), "pods = [\"SIM00001\", \"SIM00002\"]\n");
    std::ofstream(jobPath) << text;
    const CliRun run = Run({"--pod", "SIM00003"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("--pod: the job does not name the pod SIM00003"));
    EXPECT_FALSE(AnyPodTouched(files.state));
}

// Two runs at once on one store, each with its own four simulated pods.
void ExpectDisjointRuns(const std::string& location,
                        const std::function<std::vector<std::string>(const std::string&)>& args, const std::string& dir,
                        const std::function<std::vector<station::BoardRow>()>& rows) {
    const pid_t first = StartTool(args(dir + "/a/state"), dir);
    const pid_t second = StartTool(args(dir + "/b/state"), dir);
    const CliRun a = FinishTool(first, dir);
    const CliRun b = FinishTool(second, dir);
    ASSERT_EQ(a.exitCode, 0) << a.err;
    ASSERT_EQ(b.exitCode, 0) << b.err;
    const auto all = rows();
    ASSERT_EQ(all.size(), 8u) << location;
    std::set<uint64_t> numbers;
    for (const auto& row : all) numbers.insert(row.boardSerial.value_or(0));
    EXPECT_EQ(numbers.size(), 8u);
}

TEST_F(JobRun, TwoRunsOnOneSqliteFileWriteDisjointNumbers) {
    WriteJob("line2.sqlite");
    ExpectDisjointRuns(
        sqlite, [this](const std::string& state) { return Args(state, {}); }, files.dir.path(),
        [this] { return Rows(sqlite); });
}

TEST_F(JobRun, TwoRunsOnOnePostgresStoreWriteDisjointNumbers) {
    if (PgServer::BinaryFolder().empty())
        GTEST_SKIP() << "PostgreSQL's server binaries are not installed (Debian's postgresql package)";
    PgServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    WriteJob(server.url());
    ExpectDisjointRuns(
        server.url(), [this](const std::string& state) { return Args(state, {}); }, files.dir.path(),
        [&] { return Rows(server.url()); });
}

// The server goes away while the pod works (a paced POD Write made slow;
// the pod's trace file appears when the run reaches the pod): the board's
// row waits in the spool, the run ends with exit 1, and `records JOB`
// writes it once the server is back.
TEST_F(JobRun, ARowTheStoreDoesNotTakeWaitsInTheSpoolUntilItAnswers) {
    if (PgServer::BinaryFolder().empty())
        GTEST_SKIP() << "PostgreSQL's server binaries are not installed (Debian's postgresql package)";
    PgServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    std::ofstream(jobPath) << "name = \"line 3\"\ndevice = \"f2812\"\ncommand = \"pod-write\"\nprogram = \"app.out\"\n"
                           << "program_sha256 = \"" << station::FileSha256(files.f2812) << "\"\n"
                           << "pod_file_name = \"LINE3\"\nverify = false\n[records]\nstore = \"" << server.url()
                           << "\"\n";
    const std::string trace = files.Path("t.trace");
    const pid_t child = StartTool(
        Args(files.state, {"--pod", "SIM00001", "--sim-paced", "--sim-fault", "slow:W:1:3000", "--trace", trace}),
        files.dir.path());
    const std::string podTrace = files.Path("t.SIM00001.trace");
    for (int wait = 0; wait < 3000 && !std::filesystem::exists(podTrace); ++wait) ::usleep(10000);
    ASSERT_TRUE(server.Stop());
    const CliRun run = FinishTool(child, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.out, HasSubstr("SIM00001: EEPROM Write Completed"));
    EXPECT_THAT(run.err, HasSubstr("1 record(s) wait in the spool " + jobPath + ".spool.jsonl"));
    EXPECT_EQ(station::RecordSpool(station::RecordSpool::PathFor(jobPath)).Pending(), 1u);

    ASSERT_TRUE(server.Restart());
    const CliRun records = RunTool({"records", jobPath}, files.dir.path());
    ASSERT_EQ(records.exitCode, 0) << records.err;
    EXPECT_THAT(records.err, HasSubstr("1 record(s) from the spool"));
    EXPECT_THAT(records.out, HasSubstr("passed 1, failed 0, total 1"));
    EXPECT_EQ(station::RecordSpool(station::RecordSpool::PathFor(jobPath)).Pending(), 0u);
}

TEST_F(JobRun, JobNewWritesAJobThatRunsAndNeverOverwritesUnasked) {
    const std::vector<std::string> args{"job",         "new",
                                        jobPath,       "--program",
                                        files.f2812,   "--serial-address",
                                        "0x3F4000",    "--serial-words",
                                        "2",           "--serial-first",
                                        "1000",        "--serial-last",
                                        "1999",        "--store",
                                        "line2.sqlite"};
    CliRun run = RunTool(args, files.dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
    EXPECT_THAT(run.err, HasSubstr("Wrote the job file " + jobPath));
    EXPECT_THAT(run.out, HasSubstr("The job is ready"));
    const std::string text = ReadText(jobPath);
    EXPECT_THAT(text, HasSubstr("name = 'line2'"));
    EXPECT_THAT(text, HasSubstr("program = 'app.out'"));
    EXPECT_THAT(text, HasSubstr("program_sha256 = '" + station::FileSha256(files.f2812) + "'"));
    struct stat info {};
    ASSERT_EQ(::stat(jobPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    EXPECT_EQ(Run().exitCode, 0);
    EXPECT_EQ(TargetSerial(files.state, 4), 1003u);

    run = RunTool(args, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("The job file " + jobPath + " exists; give --force to replace it"));
    EXPECT_EQ(ReadText(jobPath), text);

    // A link at the job's path is replaced, never written through.
    const std::string elsewhere = files.Path("elsewhere.txt");
    std::ofstream(elsewhere) << "keep\n";
    std::filesystem::remove(jobPath);
    std::filesystem::create_symlink(elsewhere, jobPath);
    EXPECT_EQ(RunTool(args, files.dir.path()).exitCode, 1);
    std::vector<std::string> forced = args;
    forced.push_back("--force");
    run = RunTool(forced, files.dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadText(elsewhere), "keep\n");
    EXPECT_FALSE(std::filesystem::is_symlink(jobPath));
}

TEST_F(JobRun, JobNewRefusesOptionsThatMakeNoJob) {
    CliRun run = RunTool({"job", "new", jobPath, "--program", files.Path("missing.out")}, files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("Cannot read the program " + files.Path("missing.out") + "; no job was written"));
    run = RunTool({"job", "new", jobPath, "--program", files.f2812, "--serial-address", "0x3F4000"}, files.dir.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("--serial-address needs --serial-first and --serial-last"));
    run = RunTool({"job", "new", jobPath, "--program", files.f2812, "--verify"}, files.dir.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("--name and --verify apply to a pod-write job"));
    EXPECT_FALSE(std::filesystem::exists(jobPath));
}

}  // namespace
}  // namespace nembra::testing
