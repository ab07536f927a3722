#include "cli/CliParser.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <sstream>

#include "cli/ArgumentChecks.h"
#include "cli/HelpText.h"
#include "cli/ManFormatter.h"
#include "image/LoadCoffFile.h"
#include "station/SimFaultRequest.h"

namespace nembra::cli {
namespace {

constexpr std::pair<const char*, DriverChoice> kDriverNames[] = {
    {"auto", DriverChoice::Auto}, {"libftd2xx", DriverChoice::LibFtd2xx}, {"libftdi1", DriverChoice::LibFtdi1}};

// What CLI11 fills in before the texts are checked.
struct RawArguments {
    std::string device = "f2812";
    std::string sim;
    std::string trace;
    std::string simTargetHex;
    bool json = false;
    bool jsonProgress = false;
    std::string file;
    std::string output;
    bool eraseAll = false;
    std::string unlockKeys;
    std::string name;
    bool verify = false;
    std::string pod;
    int simPods = 0;
    std::string log;
    std::vector<std::string> simFaults;
    bool simPaced = false;
    std::string simChip;
    std::string driver = "auto";
    std::string recordJob;
    std::string boardSerial;
    std::string podSerial;
    std::string since;
    std::string until;
    bool csv = false;
    // job new
    std::string jobName;
    std::string jobCommand = "write";
    std::string program;
    std::string csmKeysFile;
    std::string pods = "all";
    std::string serialAddress;
    std::string serialWords = "1";
    std::string serialEncoding = "binary-low-first";
    std::string serialFirst;
    std::string serialStep = "1";
    std::string serialLast;
    std::string store;
    bool force = false;
};

struct Parser {
    CLI::App app{HelpPageFor("").summary, kToolName};
    RawArguments raw;
    CLI::Option* deviceOption = nullptr;
    CLI::Option* simOption = nullptr;
    CLI::Option* simPodsOption = nullptr;
    CLI::Option* simChipOption = nullptr;
    CLI::Option* driverOption = nullptr;
    CLI::Option* unlockOptions[2] = {nullptr, nullptr};
    std::vector<std::pair<CLI::App*, Command>> commands;
};

// A command under `parent` by the last word of its name ("new" of "job new").
CLI::App* AddCommand(Parser& p, Command command, CLI::App& parent) {
    const std::string name = CommandName(command);
    CLI::App* sub = parent.add_subcommand(name.substr(name.rfind(' ') + 1), HelpPageFor(name).summary);
    sub->fallthrough();
    if (sub->get_help_ptr() != nullptr) sub->get_help_ptr()->group("OPTIONS");
    p.commands.emplace_back(sub, command);
    return sub;
}

CLI::App* AddCommand(Parser& p, Command command) { return AddCommand(p, command, p.app); }

void AddFileArgument(CLI::App* sub, RawArguments& raw) {
    sub->add_option("FILE", raw.file, "the TI COFF program file (.out)")->required()->type_name("");
}

void AddWriteOptions(Parser& p, CLI::App* sub, int slot) {
    sub->add_flag("--erase-all", p.raw.eraseAll, "F281x: erase all flash sectors, not only those the program touches");
    p.unlockOptions[slot] =
        sub->add_option("--unlock", p.raw.unlockKeys,
                        "F281x: tick \"Unlock CSM\" with KEYS, eight comma-separated hex keys KEY0..KEY7 (empty: FFFF)")
            ->type_name("KEYS");
}

void DefineGlobalOptions(Parser& p) {
    p.app.formatter(std::make_shared<ManFormatter>());
    p.app.option_defaults()->group("OPTIONS");
    p.app.set_version_flag("--version", kVersionText, "print the version and exit");
    p.app.set_help_flag("-h,--help", "print this help and exit");
    p.app.require_subcommand(1);
    p.deviceOption =
        p.app.add_option("--device", p.raw.device, "target device: " + DeviceNameList() + "; default f2812")
            ->type_name("DEV");
    p.simOption =
        p.app.add_flag("--sim{}", p.raw.sim, "use the simulated pod; its serial flash persists in STATE (--sim=STATE)");
    p.app
        .add_option(
            "--trace", p.raw.trace,
            "write the protocol trace to FILE; with several pods one file each, the serial number before the extension")
        ->type_name("FILE");
    p.app.add_flag("--json", p.raw.json, "print one JSON object instead of the final line");
    p.app.add_flag("--json-progress", p.raw.jsonProgress,
                   "write the operation's progress to standard error as JSON Lines records, without the bar");
    p.app
        .add_option("--sim-target-hex", p.raw.simTargetHex,
                    "with --sim: write the simulated target's memory to OUT as Intel HEX afterwards; with several pods "
                    "one file each, as --trace")
        ->type_name("OUT");
    p.app
        .add_option("--pod", p.raw.pod,
                    "the pods to use: a serial number, an index from 'list', a comma-separated list of them, "
                    "or all; default: the first pod found by its description")
        ->type_name("SEL");
    p.simPodsOption = p.app
                          .add_option("--sim-pods", p.raw.simPods,
                                      "with --sim: N simulated pods, each with its own store beside STATE")
                          ->type_name("N")
                          ->check(CLI::Range(1, kMaxSimPods));
    p.app.add_option("--log", p.raw.log, "append one JSON Lines record per operation and pod to FILE")
        ->type_name("FILE");
    p.app
        .add_option("--sim-fault", p.raw.simFaults,
                    "with --sim: arm a fault of the simulated pods (KIND:LETTER[:N[:MS]]); may be repeated")
        ->type_name("FAULT");
    p.app.add_flag("--sim-paced", p.raw.simPaced, "with --sim: the simulated pods take as long as real pods would");
    p.simChipOption = p.app
                          .add_option("--sim-chip", p.raw.simChip,
                                      "with --sim: the simulated target's flash: typical (the data sheet's erase "
                                      "times), slow (near the 20 s erase time-out) or failing (past it); default "
                                      "typical")
                          ->type_name("CHIP")
                          ->check(CLI::IsMember(SimChipNames()));
    std::vector<std::string> drivers;
    for (const auto& [name, choice] : kDriverNames) drivers.push_back(name);
    p.driverOption = p.app
                         .add_option("--driver", p.raw.driver,
                                     "the USB driver library: libftd2xx, libftdi1, or auto (libftd2xx, else "
                                     "libftdi1 for each open libftd2xx cannot make); default auto")
                         ->type_name("NAME")
                         ->check(CLI::IsMember(drivers));
}

// job new JOB: a job file from the options the commands take.
void DefineJobNew(Parser& p, CLI::App* job) {
    CLI::App* create = AddCommand(p, Command::JobNew, *job);
    create->add_option("JOB", p.raw.file, "the job file to write (TOML)")->required()->type_name("");
    create->add_option("--job", p.raw.jobName, "the job's name; default: the job file's name")->type_name("NAME");
    create->add_option("--command", p.raw.jobCommand, "write or pod-write; default write")
        ->type_name("CMD")
        ->check(CLI::IsMember({"write", "pod-write"}));
    create->add_option("--program", p.raw.program, "the program file; its SHA-256 goes into the job")
        ->required()
        ->type_name("FILE");
    create->add_flag("--erase-all", p.raw.eraseAll, "erase every sector instead of the program's (F281x write)");
    create->add_option("--csm-keys-file", p.raw.csmKeysFile, "the CSM key file (yours, unreadable by others)")
        ->type_name("FILE");
    create->add_option("--name", p.raw.name, "pod-write: the POD File Name (at most 8 characters)")->type_name("NAME");
    create->add_flag("--verify", p.raw.verify, "pod-write: a POD Verify after each POD Write");
    create->add_option("--pods", p.raw.pods, "the pods: all, or a comma-separated list of serial numbers")
        ->type_name("SEL");
    create->add_option("--serial-address", p.raw.serialAddress, "the serial number's word address (0x3F4000)")
        ->type_name("ADDR");
    create->add_option("--serial-words", p.raw.serialWords, "its width, 1 to 4 words; default 1")->type_name("N");
    create
        ->add_option("--serial-encoding", p.raw.serialEncoding,
                     "binary-low-first, binary-high-first, bcd or ascii; default binary-low-first")
        ->type_name("ENC");
    create->add_option("--serial-first", p.raw.serialFirst, "the first serial number")->type_name("N");
    create->add_option("--serial-step", p.raw.serialStep, "the step between numbers; default 1")->type_name("N");
    create->add_option("--serial-last", p.raw.serialLast, "the last serial number")->type_name("N");
    create->add_option("--store", p.raw.store, "the record store: an SQLite file or a postgresql:// URL")
        ->type_name("STORE");
    create->add_flag("--force", p.raw.force, "replace JOB when it exists");
}

// job check JOB, records JOB_OR_STORE and run JOB: the production line's
// jobs, the rows its stations keep and the runs that write them.
void DefineStationCommands(Parser& p) {
    CLI::App* job = p.app.add_subcommand("job", HelpPageFor("job").summary);
    job->fallthrough();
    job->require_subcommand(1);
    if (job->get_help_ptr() != nullptr) job->get_help_ptr()->group("OPTIONS");
    AddCommand(p, Command::JobCheck, *job)
        ->add_option("JOB", p.raw.file, "the job file (TOML)")
        ->required()
        ->type_name("");
    DefineJobNew(p, job);

    CLI::App* records = AddCommand(p, Command::Records);
    records->add_option("JOB_OR_STORE", p.raw.file, "a job file (.toml), an SQLite store or a postgresql:// URL")
        ->required()
        ->type_name("");
    records->add_option("--job", p.raw.recordJob, "only the rows of job NAME")->type_name("NAME");
    records->add_option("--board-serial", p.raw.boardSerial, "only the rows of board serial number N")->type_name("N");
    records->add_option("--pod-serial", p.raw.podSerial, "only the rows of the pod with serial number SERIAL")
        ->type_name("SERIAL");
    records->add_option("--since", p.raw.since, "only rows from TIME on (UTC, 2026-12-07T08:00:00Z)")
        ->type_name("TIME");
    records->add_option("--until", p.raw.until, "only rows up to TIME")->type_name("TIME");
    records->add_flag("--csv", p.raw.csv, "print the rows as CSV instead of text");

    CLI::App* run = AddCommand(p, Command::Run);
    run->add_option("JOB", p.raw.file, "the job file (TOML)")->required()->type_name("");
}

void DefineCommands(Parser& p) {
    AddFileArgument(AddCommand(p, Command::Inspect), p.raw);
    CLI::App* exportCommand = AddCommand(p, Command::Export);
    AddFileArgument(exportCommand, p.raw);
    exportCommand->add_option("-o,--output", p.raw.output, "the Intel HEX file to write")->required()->type_name("OUT");
    CLI::App* write = AddCommand(p, Command::Write);
    AddFileArgument(write, p.raw);
    AddWriteOptions(p, write, 0);
    AddCommand(p, Command::Reset);
    AddCommand(p, Command::Info);
    CLI::App* podWrite = AddCommand(p, Command::PodWrite);
    AddFileArgument(podWrite, p.raw);
    podWrite->add_option("--name", p.raw.name, "the POD File Name (at most 8 characters)")->type_name("NAME");
    AddWriteOptions(p, podWrite, 1);
    podWrite->add_flag("--verify", p.raw.verify, "run a POD Verify right after a successful POD Write");
    AddFileArgument(AddCommand(p, Command::PodVerify), p.raw);
    AddCommand(p, Command::List);
    DefineStationCommands(p);
}

ParseResult Usage(const std::string& reason) { return {ParseStatus::UsageError, {}, reason}; }

bool UnlockGiven(const Parser& p) {
    return std::any_of(std::begin(p.unlockOptions), std::end(p.unlockOptions),
                       [](const CLI::Option* o) { return o != nullptr && o->count() > 0; });
}

// Which pods, how many simulated ones, their faults and the record.
bool ReadStationOptions(const Parser& p, CliOptions& o, std::string& error) {
    o.podSelector = p.raw.pod;
    o.simPods = p.raw.simPods;
    o.logPath = p.raw.log;
    o.simFaults = p.raw.simFaults;
    o.simPaced = p.raw.simPaced;
    const bool chipGiven = p.simChipOption->count() > 0;
    if (chipGiven) ParseSimChip(p.raw.simChip, o.simChip);
    if ((p.simPodsOption->count() > 0 || !o.simFaults.empty() || o.simPaced || chipGiven) && !o.sim)
        error = "--sim-pods, --sim-fault, --sim-paced and --sim-chip need --sim";
    else if (p.simPodsOption->count() > 0 && o.simStatePath.empty())
        error = "--sim-pods needs a --sim state path";
    else if (!UsesPod(o.command) && o.command != Command::List && (!o.podSelector.empty() || !o.logPath.empty()))
        error = std::string("--pod and --log apply to the commands that use the pod, not ") + CommandName(o.command);
    else if (o.command == Command::List && !o.logPath.empty())
        error = "--log applies to the commands that use the pod, not list";
    else if (!o.podSelector.empty() && o.podSelector.find_first_not_of(", ") == std::string::npos)
        error = "--pod needs a serial number, an index, a list of them or all";
    for (const std::string& fault : o.simFaults) {
        if (!error.empty()) break;
        station::SimFaultRequest parsed;
        station::ParseSimFault(fault, parsed, error);
    }
    return error.empty();
}

// The global options: device, output mode, backend and its files.
bool ReadGlobals(const Parser& p, const std::string& defaultSimState, CliOptions& o, std::string& error) {
    for (const auto& [sub, command] : p.commands)
        if (sub->parsed()) o.command = command;
    if (!ParseDeviceName(p.raw.device, o.device)) {
        error = "unknown device \"" + p.raw.device + "\"; use " + DeviceNameList();
        return false;
    }
    o.json = p.raw.json;
    o.jsonProgress = p.raw.jsonProgress;
    o.sim = p.simOption->count() > 0;
    o.simStatePath = p.raw.sim.empty() ? defaultSimState : p.raw.sim;
    o.tracePath = p.raw.trace;
    o.simTargetHexPath = p.raw.simTargetHex;
    for (const auto& [name, choice] : kDriverNames)
        if (p.raw.driver == name) o.driver = choice;
    if (!o.simTargetHexPath.empty() && !o.sim) error = "--sim-target-hex needs --sim";
    if (p.driverOption->count() > 0 && o.sim)
        error = "--driver chooses the USB driver library; it does not apply to --sim";
    if (p.driverOption->count() > 0 && !UsesPod(o.command) && o.command != Command::List)
        error = std::string("--driver applies to the commands that use the pod, not ") + CommandName(o.command);
    if (o.jsonProgress && (!UsesPod(o.command) || o.command == Command::Run))
        error = std::string("--json-progress applies to the commands that use one pod, not ") + CommandName(o.command);
    // A job names its own device; a --device beside it would read as checked.
    if (p.deviceOption->count() > 0 && (o.command == Command::Run || o.command == Command::JobCheck))
        error = std::string("--device does not apply to ") + CommandName(o.command) + ": the job names its device";
    if (!UsesPod(o.command) && (!o.tracePath.empty() || !o.simTargetHexPath.empty()))
        error = std::string("--trace and --sim-target-hex apply to the commands that use the pod, not ") +
                CommandName(o.command);
    return error.empty() && ReadStationOptions(p, o, error);
}

// records: the filters, each checked as it will be compared.
bool ReadRecordQuery(const Parser& p, CliOptions& o, std::string& error) {
    RecordQuery& q = o.records;
    q.job = p.raw.recordJob;
    q.podSerial = p.raw.podSerial;
    q.since = p.raw.since;
    q.until = p.raw.until;
    q.csv = p.raw.csv;
    if (!p.raw.boardSerial.empty()) {
        const std::string& text = p.raw.boardSerial;
        if (text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) {
            error = "--board-serial \"" + text + "\" is not a serial number (decimal digits)";
            return false;
        }
        q.boardSerial = std::stoull(text);
    }
    if (q.csv && o.json) error = "--csv and --json each choose the output; give one of them";
    return error.empty();
}

// A decimal number, or with 0x a hexadecimal one, as a whole.
bool ReadNumber(const std::string& option, const std::string& text, uint64_t& value, std::string& error) {
    const bool hex = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
    const std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (!digits.empty() && digits.size() <= (hex ? 16u : 19u) &&
        digits.find_first_not_of(allowed) == std::string::npos) {
        value = std::stoull(digits, nullptr, hex ? 16 : 10);
        return true;
    }
    error = option + " \"" + text + "\" is not a number";
    return false;
}

// job new: the serial-number plan, when --serial-address gives one.
bool ReadSerialOptions(const RawArguments& raw, station::Job& job, std::string& error) {
    if (raw.serialAddress.empty()) {
        if (raw.serialFirst.empty() && raw.serialLast.empty()) return true;
        error = "--serial-first and --serial-last need --serial-address";
        return false;
    }
    station::SerialPlan plan;
    uint64_t address = 0;
    uint64_t words = 0;
    const auto encoding = station::ParseSerialEncoding(raw.serialEncoding);
    if (!encoding) {
        error =
            "--serial-encoding \"" + raw.serialEncoding + "\" is not binary-low-first, binary-high-first, bcd or ascii";
        return false;
    }
    if (raw.serialFirst.empty() || raw.serialLast.empty()) {
        error = "--serial-address needs --serial-first and --serial-last";
        return false;
    }
    if (!ReadNumber("--serial-address", raw.serialAddress, address, error) ||
        !ReadNumber("--serial-words", raw.serialWords, words, error) ||
        !ReadNumber("--serial-first", raw.serialFirst, plan.first, error) ||
        !ReadNumber("--serial-step", raw.serialStep, plan.step, error) ||
        !ReadNumber("--serial-last", raw.serialLast, plan.last, error))
        return false;
    plan.address = static_cast<uint32_t>(std::min<uint64_t>(address, UINT32_MAX));
    plan.words = static_cast<uint32_t>(std::min<uint64_t>(words, UINT32_MAX));
    plan.encoding = *encoding;
    job.serial = plan;
    return true;
}

// job new: the job as the options state it; the program's hash is taken
// when the file is written.
bool ReadNewJob(const RawArguments& raw, CliOptions& o, std::string& error) {
    NewJobRequest& request = o.newJob;
    station::Job& job = request.job;
    job.name = raw.jobName;
    job.device = o.device;
    job.command = raw.jobCommand == "pod-write" ? station::JobFileCommand::PodWrite : station::JobFileCommand::Write;
    job.erase = raw.eraseAll ? station::JobErase::All : station::JobErase::Intelligent;
    if (!raw.csmKeysFile.empty()) job.csmKeysFile = raw.csmKeysFile;
    job.podFileName = raw.name;
    job.verify = raw.verify;
    if (raw.pods != "all") {
        std::stringstream list(raw.pods);
        for (std::string pod; std::getline(list, pod, ',');)
            if (!Trim(pod).empty()) job.pods.push_back(Trim(pod));
    }
    job.store = raw.store;
    request.program = raw.program;
    request.force = raw.force;
    if (job.command == station::JobFileCommand::Write && (!raw.name.empty() || raw.verify)) {
        error = "--name and --verify apply to a pod-write job";
        return false;
    }
    return ReadSerialOptions(raw, job, error);
}

// The command's own arguments: its file and what stands for the controls.
bool ReadCommandArguments(const Parser& p, CliOptions& o, std::string& error) {
    o.file = p.raw.file;
    o.outputPath = p.raw.output;
    o.eraseAll = p.raw.eraseAll;
    o.unlock = UnlockGiven(p);
    if (o.unlock && !ParseKeyList(p.raw.unlockKeys, o.keys, error)) return false;
    if (!CheckPodName(p.raw.name, error)) return false;
    o.podName = p.raw.name;
    o.verify = p.raw.verify;
    if (o.command == Command::JobNew && !ReadNewJob(p.raw, o, error)) return false;
    return ReadRecordQuery(p, o, error);
}

ParseResult CheckArguments(const Parser& p, const std::string& defaultSimState) {
    CliOptions options;
    std::string error;
    if (!ReadGlobals(p, defaultSimState, options, error) || !ReadCommandArguments(p, options, error))
        return Usage(error);
    return {ParseStatus::Run, options, ""};
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args, const std::string& defaultSimState) {
    Parser p;
    DefineGlobalOptions(p);
    DefineCommands(p);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty()) reversed.pop_back();  // the program name
    try {
        p.app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return {ParseStatus::Printed, {}, p.app.help()};
    } catch (const CLI::CallForVersion& e) {
        return {ParseStatus::Printed, {}, std::string(e.what()) + "\n"};
    } catch (const CLI::ParseError& e) {
        return Usage(e.what());
    }
    return CheckArguments(p, defaultSimState);
}

}  // namespace nembra::cli
