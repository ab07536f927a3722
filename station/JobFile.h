#pragma once
#include <optional>
#include <string>
#include <vector>

#include "image/DeviceTypes.h"
#include "station/SerialPlan.h"

namespace nembra::station {

// The `command` key of a job file: the operation each pod of the job runs.
enum class JobFileCommand { Write, PodWrite };
enum class JobErase { Intelligent, All };

// A production job as its TOML file states it. Paths are kept as written;
// JobPath() resolves them against the job file's folder.
struct Job {
    std::string name;
    DeviceType device = kDefaultDeviceType;
    JobFileCommand command = JobFileCommand::Write;
    std::string program;        // relative to the job file
    std::string programSha256;  // lower-case hex
    JobErase erase = JobErase::Intelligent;
    std::optional<std::string> csmKeysFile;  // absent: CSM off
    std::string podFileName;                 // pod-write only
    bool verify = false;                     // pod-write only
    std::vector<std::string> pods;           // pod serial numbers; empty: all
    std::optional<SerialPlan> serial;
    std::string store;  // an SQLite file or a postgresql:// URL; empty: the default store
};

// The job and every problem its text has (syntax, unknown or missing keys,
// wrong types, unknown names), each a sentence of its own. The job is
// usable only when `problems` is empty.
struct JobRead {
    Job job;
    std::vector<std::string> problems;
    bool parsed = false;  // the file was read and is TOML; else `job` holds only defaults
};

// "write", "pod-write"; "intelligent", "all".
const char* JobCommandName(JobFileCommand command);
const char* JobEraseName(JobErase erase);

JobRead ParseJobText(const std::string& text, const std::string& sourceName);
// Reads and parses the file; a file that cannot be read is one problem.
JobRead ReadJobFile(const std::string& path);

// A path the job names, resolved against the folder of the job file.
std::string JobPath(const std::string& jobFile, const std::string& path);

// Every problem with what the job refers to: the program file (present, and
// its SHA-256 the job's, naming both hashes), the CSM key file (the user's,
// unreadable by others), and the rules between keys (a POD Write with serial
// numbers, CSM keys on the LF240xA). Keys are never read into a message.
std::vector<std::string> CheckJob(const Job& job, const std::string& jobFile);

// The job as TOML with every key it sets, its hash included; reading the
// text back gives the same job.
std::string JobToToml(const Job& job);

}  // namespace nembra::station
