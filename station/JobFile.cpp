#include "station/JobFile.h"

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "station/CsmKeyFile.h"
#include "station/DeviceNames.h"
#include "station/FileDigest.h"

namespace nembra::station {
namespace {

const std::set<std::string> kTopKeys{"name",           "device", "command",       "program",
                                     "program_sha256", "erase",  "csm_keys_file", "pod_file_name",
                                     "verify",         "pods",   "serial",        "records"};
const std::set<std::string> kSerialKeys{"address", "words", "encoding", "first", "step", "last"};
const std::set<std::string> kRecordKeys{"store"};

std::string TypeName(toml::node_type type) {
    switch (type) {
        case toml::node_type::string: return "a string";
        case toml::node_type::integer: return "an integer";
        case toml::node_type::floating_point: return "a number with a fraction";
        case toml::node_type::boolean: return "true or false";
        case toml::node_type::array: return "a list";
        case toml::node_type::table: return "a table";
        default: return "a date or time";
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Reads one table's keys, adding a sentence to `problems` for each key
// that is missing, unknown or of the wrong type.
class TableReader {
public:
    TableReader(const toml::table& table, std::string prefix, std::vector<std::string>& problems)
        : table_(table), prefix_(std::move(prefix)), problems_(problems) {}

    std::string Where(const std::string& key, const toml::node& node) const {
        return "\"" + prefix_ + key + "\" (line " + std::to_string(node.source().begin.line) + ")";
    }

    void RejectUnknown(const std::set<std::string>& known) {
        for (auto&& [key, node] : table_)
            if (!known.count(std::string(key.str())))
                problems_.push_back("unknown key " + Where(std::string(key.str()), node));
    }

    const toml::node* Find(const std::string& key, toml::node_type type, bool required) {
        const toml::node* node = table_.get(key);
        if (node == nullptr) {
            if (required) problems_.push_back("missing key \"" + prefix_ + key + "\"");
            return nullptr;
        }
        if (node->type() != type) {
            problems_.push_back(Where(key, *node) + " must be " + TypeName(type) + ", not " + TypeName(node->type()));
            return nullptr;
        }
        return node;
    }

    std::optional<std::string> String(const std::string& key, bool required) {
        const toml::node* node = Find(key, toml::node_type::string, required);
        if (node == nullptr) return std::nullopt;
        return node->as_string()->get();
    }

    std::optional<int64_t> Integer(const std::string& key, bool required, int64_t least) {
        const toml::node* node = Find(key, toml::node_type::integer, required);
        if (node == nullptr) return std::nullopt;
        const int64_t value = node->as_integer()->get();
        if (value < least) {
            problems_.push_back(Where(key, *node) + " must be at least " + std::to_string(least));
            return std::nullopt;
        }
        return value;
    }

    std::optional<bool> Bool(const std::string& key) {
        const toml::node* node = Find(key, toml::node_type::boolean, false);
        if (node == nullptr) return std::nullopt;
        return node->as_boolean()->get();
    }

    void Problem(const std::string& key, const std::string& text) {
        const toml::node* node = table_.get(key);
        problems_.push_back((node ? Where(key, *node) : "\"" + prefix_ + key + "\"") + " " + text);
    }

    bool Has(const std::string& key) const { return table_.contains(key); }

private:
    const toml::table& table_;
    std::string prefix_;
    std::vector<std::string>& problems_;
};

void ReadNames(TableReader& top, Job& job) {
    if (auto name = top.String("name", true)) {
        job.name = *name;
        if (job.name.empty()) top.Problem("name", "must not be empty");
    }
    if (auto device = top.String("device", true); device && !ParseDeviceName(*device, job.device))
        top.Problem("device", "\"" + *device + "\" is not a device; use " + DeviceNameList());
    if (auto command = top.String("command", true)) {
        if (*command == "write")
            job.command = JobFileCommand::Write;
        else if (*command == "pod-write")
            job.command = JobFileCommand::PodWrite;
        else
            top.Problem("command", "\"" + *command + "\" is not a job's command; use write or pod-write");
    }
    if (auto erase = top.String("erase", false)) {
        if (*erase == "intelligent")
            job.erase = JobErase::Intelligent;
        else if (*erase == "all")
            job.erase = JobErase::All;
        else
            top.Problem("erase", "\"" + *erase + "\" is not an erase choice; use intelligent or all");
    }
}

void ReadProgram(TableReader& top, Job& job) {
    if (auto program = top.String("program", true)) {
        job.program = *program;
        if (job.program.empty()) top.Problem("program", "must name the program file");
    }
    if (auto hash = top.String("program_sha256", true)) {
        job.programSha256 = Lower(*hash);
        if (!IsSha256Text(job.programSha256)) top.Problem("program_sha256", "must be 64 hexadecimal digits");
    }
    job.csmKeysFile = top.String("csm_keys_file", false);
    if (job.csmKeysFile && job.csmKeysFile->empty()) top.Problem("csm_keys_file", "must name a file");
    if (auto name = top.String("pod_file_name", false)) job.podFileName = *name;
    if (auto verify = top.Bool("verify")) job.verify = *verify;
}

void ReadPods(const toml::table& table, TableReader& top, Job& job, std::vector<std::string>& problems) {
    const toml::node* node = table.get("pods");
    if (node == nullptr) return;
    if (node->is_string()) {
        if (node->as_string()->get() != "all") top.Problem("pods", "must be \"all\" or a list of pod serial numbers");
        return;
    }
    if (!node->is_array()) {
        top.Problem("pods", "must be \"all\" or a list of pod serial numbers, not " + TypeName(node->type()));
        return;
    }
    std::set<std::string> seen;
    for (const toml::node& pod : *node->as_array()) {
        const std::string where = "\"pods\" (line " + std::to_string(pod.source().begin.line) + ")";
        if (!pod.is_string() || pod.as_string()->get().empty()) {
            problems.push_back(where + " lists " + (pod.is_string() ? "an empty serial number" : TypeName(pod.type())) +
                               "; a pod is named by its serial number");
            continue;
        }
        const std::string serial = pod.as_string()->get();
        if (!seen.insert(serial).second) problems.push_back(where + " lists pod " + serial + " twice");
        job.pods.push_back(serial);
    }
    if (node->as_array()->empty()) top.Problem("pods", "lists no pod; use \"all\" or at least one serial number");
}

void ReadSerial(const toml::table& table, Job& job, std::vector<std::string>& problems) {
    const size_t before = problems.size();
    TableReader reader(table, "serial.", problems);
    reader.RejectUnknown(kSerialKeys);
    SerialPlan plan;
    if (auto address = reader.Integer("address", true, 0)) {
        if (*address > 0x3FFFFF) reader.Problem("address", "lies above the 22-bit address space (0x3FFFFF)");
        plan.address = static_cast<uint32_t>(std::min<int64_t>(*address, 0x3FFFFF));
    }
    if (auto words = reader.Integer("words", true, 1))
        plan.words = static_cast<uint32_t>(std::min<int64_t>(*words, 99));
    if (auto encoding = reader.String("encoding", true)) {
        if (auto parsed = ParseSerialEncoding(*encoding))
            plan.encoding = *parsed;
        else
            reader.Problem(
                "encoding",
                "\"" + *encoding + "\" is not an encoding; use binary-low-first, binary-high-first, bcd or ascii");
    }
    if (auto first = reader.Integer("first", true, 0)) plan.first = static_cast<uint64_t>(*first);
    if (auto step = reader.Integer("step", false, 1)) plan.step = static_cast<uint64_t>(*step);
    if (auto last = reader.Integer("last", true, 0)) plan.last = static_cast<uint64_t>(*last);
    // The range rules need every value; a key already refused says enough.
    if (problems.size() == before)
        for (std::string& problem : CheckSerialPlan(plan)) problems.push_back(std::move(problem));
    job.serial = plan;
}

void ReadTables(const toml::table& table, Job& job, std::vector<std::string>& problems) {
    TableReader top(table, "", problems);
    if (const toml::node* serial = table.get("serial")) {
        if (serial->is_table())
            ReadSerial(*serial->as_table(), job, problems);
        else
            top.Problem("serial", "must be a table ([serial])");
    }
    if (const toml::node* records = table.get("records")) {
        if (!records->is_table()) {
            top.Problem("records", "must be a table ([records])");
            return;
        }
        TableReader reader(*records->as_table(), "records.", problems);
        reader.RejectUnknown(kRecordKeys);
        if (auto store = reader.String("store", false)) job.store = *store;
    }
}

// The rules between keys that the text alone shows.
void CheckKeyRules(const toml::table& table, const Job& job, std::vector<std::string>& problems) {
    const bool podWrite = job.command == JobFileCommand::PodWrite;
    if (!podWrite && table.contains("pod_file_name"))
        problems.push_back("\"pod_file_name\" belongs to a pod-write job; a write job programs the target directly");
    if (!podWrite && table.contains("verify")) problems.push_back("\"verify\" belongs to a pod-write job");
    if (podWrite && job.serial)
        problems.push_back(
            "a pod-write job cannot give serial numbers: the pod programs boards by itself from one image");
    if (!IsF281x(job.device) && job.csmKeysFile)
        problems.push_back("\"csm_keys_file\": the LF240xA has no code security module");
    if (!IsF281x(job.device) && table.contains("erase") && job.erase == JobErase::Intelligent)
        problems.push_back(
            "\"erase\": the LF240xA always erases all of its flash; use erase = \"all\" or leave it out");
    if (podWrite && job.podFileName.size() > 8)
        problems.push_back("\"pod_file_name\" \"" + job.podFileName + "\" is longer than the pod's 8 characters");
}

std::string Quoted(const std::string& text) {
    std::ostringstream out;
    out << toml::value<std::string>(text);
    return out.str();
}

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%06llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

const char* JobCommandName(JobFileCommand command) {
    return command == JobFileCommand::PodWrite ? "pod-write" : "write";
}
const char* JobEraseName(JobErase erase) { return erase == JobErase::All ? "all" : "intelligent"; }

JobRead ParseJobText(const std::string& text, const std::string& sourceName) {
    JobRead read;
    toml::table table;
    try {
        table = toml::parse(text, sourceName);
    } catch (const toml::parse_error& error) {
        read.problems.push_back(sourceName + " line " + std::to_string(error.source().begin.line) + ": " +
                                std::string(error.description()));
        return read;
    }
    read.parsed = true;
    TableReader top(table, "", read.problems);
    top.RejectUnknown(kTopKeys);
    ReadNames(top, read.job);
    ReadProgram(top, read.job);
    ReadPods(table, top, read.job, read.problems);
    ReadTables(table, read.job, read.problems);
    CheckKeyRules(table, read.job, read.problems);
    return read;
}

JobRead ReadJobFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {Job{}, {"cannot read the job file " + path}, false};
    std::stringstream text;
    text << in.rdbuf();
    if (in.bad()) return {Job{}, {"cannot read the job file " + path}, false};
    return ParseJobText(text.str(), path);
}

std::string JobPath(const std::string& jobFile, const std::string& path) {
    const std::filesystem::path named(path);
    if (named.is_absolute()) return named.string();
    return (std::filesystem::path(jobFile).parent_path() / named).lexically_normal().string();
}

std::vector<std::string> CheckJob(const Job& job, const std::string& jobFile) {
    std::vector<std::string> problems;
    if (!job.program.empty()) {
        const std::string program = JobPath(jobFile, job.program);
        const std::string actual = FileSha256(program);
        if (actual.empty())
            problems.push_back("cannot read the program file " + program);
        else if (IsSha256Text(job.programSha256) && actual != job.programSha256)
            problems.push_back("the program file " + program + " has SHA-256 " + actual + ", but the job expects " +
                               job.programSha256);
    }
    if (job.csmKeysFile && !job.csmKeysFile->empty()) {
        const std::string keys = JobPath(jobFile, *job.csmKeysFile);
        for (std::string& problem : CheckCsmKeyFile(keys)) problems.push_back(std::move(problem));
        CsmKeys read;
        std::string error;
        if (problems.empty() && !ReadCsmKeyFile(keys, read, error)) problems.push_back(error);
    }
    return problems;
}

std::string JobToToml(const Job& job) {
    std::ostringstream out;
    out << "name = " << Quoted(job.name) << "\n";
    out << "device = " << Quoted(std::string(DeviceInfo(job.device).cliName)) << "\n";
    out << "command = " << Quoted(JobCommandName(job.command)) << "\n";
    out << "program = " << Quoted(job.program) << "\n";
    out << "program_sha256 = " << Quoted(job.programSha256) << "\n";
    if (IsF281x(job.device)) out << "erase = " << Quoted(JobEraseName(job.erase)) << "\n";
    if (job.csmKeysFile) out << "csm_keys_file = " << Quoted(*job.csmKeysFile) << "\n";
    if (job.command == JobFileCommand::PodWrite) {
        out << "pod_file_name = " << Quoted(job.podFileName) << "\n";
        out << "verify = " << (job.verify ? "true" : "false") << "\n";
    }
    if (job.pods.empty()) {
        out << "pods = \"all\"\n";
    } else {
        out << "pods = [";
        for (size_t i = 0; i < job.pods.size(); ++i) out << (i ? ", " : "") << Quoted(job.pods[i]);
        out << "]\n";
    }
    if (job.serial) {
        const SerialPlan& plan = *job.serial;
        out << "\n[serial]\naddress = " << Hex(plan.address) << "\nwords = " << plan.words
            << "\nencoding = " << Quoted(SerialEncodingName(plan.encoding)) << "\nfirst = " << plan.first
            << "\nstep = " << plan.step << "\nlast = " << plan.last << "\n";
    }
    if (!job.store.empty()) out << "\n[records]\nstore = " << Quoted(job.store) << "\n";
    return out.str();
}

}  // namespace nembra::station
