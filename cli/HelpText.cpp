#include "cli/HelpText.h"

#include <map>

namespace nembra::cli {
namespace {

// Every global option but --help and --version, which end the run instead
// of shaping it.
const char* kGlobalSynopsis =
    "nembra-cli [--device DEV] [--driver NAME] [--sim[=STATE]] [--sim-pods N] [--sim-fault FAULT]... "
    "[--sim-paced] [--sim-chip CHIP] [--sim-target-hex OUT] [--pod SEL] [--log FILE] [--trace FILE] [--json] "
    "[--json-progress] ";

std::map<std::string, HelpPage> MakePages() {
    std::map<std::string, HelpPage> pages;
    pages[""] = {
        "program TI LF240xA and F281x DSPs through the KVL47Q USB pod",
        std::string(kGlobalSynopsis) + "COMMAND [ARGS]",
        "Runs one operation of the Nembra programming tool, exactly as the window's\n"
        "button would, and ends with the operation's final line: on standard output\n"
        "when it is information, on standard error when it is an error. On a terminal\n"
        "the progress texts and a progress bar with percentage and elapsed time are\n"
        "drawn on standard error while the operation runs.\n"
        "\n"
        "Each command reads its program FILE for the device DEV (default f2812): a TI\n"
        "COFF file, or Intel HEX as TI's hex converter writes it in 16-bit ROM width\n"
        "(told by the content, not the name). Without\n"
        "--sim the pod is reached over USB through libftd2xx, else libftdi1 (--driver\n"
        "NAME picks one); with --sim a\n"
        "simulated pod is used whose serial flash persists in the file STATE (default\n"
        "$XDG_STATE_HOME/nembra/sim-pod.store, else ~/.local/state/nembra/sim-pod.store).\n"
        "\n"
        "DEV is one of lf240xa-30, lf240xa-40, f2810, f2811, f2812 (any case) or its\n"
        "index 0-4. Run 'nembra-cli COMMAND --help' for a command's own page.\n"
        "\n"
        "Without --pod the first pod found by its description is used. --pod SEL\n"
        "names pods by serial number or 'list' index, several separated by commas,\n"
        "or all of them; several pods run the command at the same time, each on its\n"
        "own link, and end with one line per pod and a summary. Ctrl-C stops every\n"
        "run and names the boards left unfinished. --log FILE appends one JSON\n"
        "Lines record per operation and pod. --sim-pods N simulates N pods and\n"
        "--sim-fault arms their faults; see docs/cli.md.",
        "  nembra-cli inspect app.out\n"
        "  nembra-cli --device f2810 write app.out --erase-all\n"
        "  nembra-cli --json info\n"
        "  nembra-cli --sim=/tmp/pod.store pod-write app.out --name APP\n"
        "  nembra-cli --sim --sim-target-hex target.hex write app.out\n"
        "  nembra-cli --pod all --log boards.jsonl write app.out",
    };
    pages["inspect"] = {
        "show what a COFF file holds for a device and how it would be programmed",
        std::string(kGlobalSynopsis) + "inspect FILE",
        "Loads FILE for DEV and prints every kept section (name, word address, words,\n"
        "data offset, whether it starts in flash, its sector mask), the totals, the\n"
        "flash summary and the pod file name; then the plan a Target Write would\n"
        "follow: the sectors an intelligent erase and an erase-all would erase, the\n"
        "words that go to flash and to RAM, and whether POD Write would accept the\n"
        "image. The pod is not contacted. With --json one JSON object is printed.",
        "  nembra-cli inspect app.out\n"
        "  nembra-cli --device lf240xa-40 --json inspect motor.out",
    };
    pages["export"] = {
        "write a COFF file's words as Intel HEX",
        std::string(kGlobalSynopsis) + "export FILE -o OUT",
        "Loads FILE for DEV and writes every word of every kept section to OUT as\n"
        "Intel HEX in the layout of TI's hex converter for a 16-bit ROM width:\n"
        "record addresses are word addresses, each word high byte first, type 04\n"
        "records for the upper address bits and a type 01 record at the end.",
        "  nembra-cli export app.out -o app.hex",
    };
    pages["write"] = {
        "program FILE into the target board (Target Write)",
        std::string(kGlobalSynopsis) + "write FILE [--erase-all] [--unlock KEYS]",
        "Boots the target through the pod and programs FILE into it. For the F281x\n"
        "devices only the sectors the program touches are erased unless --erase-all\n"
        "is given; a program wholly outside flash is downloaded into RAM instead.\n"
        "--unlock ticks \"Unlock CSM\" with the eight keys KEY0..KEY7 of KEYS.\n"
        "The LF240xA devices ignore --erase-all and --unlock.",
        "  nembra-cli write app.out\n"
        "  nembra-cli write app.out --erase-all --unlock 1234,ffff,,,,,,",
    };
    pages["reset"] = {
        "reset the target board through the pod (Target Reset)",
        std::string(kGlobalSynopsis) + "reset",
        "Asks the pod to reset the target board.",
        "  nembra-cli reset",
    };
    pages["info"] = {
        "show the pod's firmware version and stored program (POD Info)",
        std::string(kGlobalSynopsis) + "info",
        "Reads the pod's firmware version and the name and date of the program\n"
        "held in its serial flash.",
        "  nembra-cli info\n"
        "  nembra-cli --json info",
    };
    pages["pod-write"] = {
        "store FILE in the pod's serial flash (POD Write)",
        std::string(kGlobalSynopsis) + "pod-write FILE [--name NAME] [--erase-all] [--unlock KEYS]",
        "Stores FILE in the pod's serial flash with the device, the erase and CSM\n"
        "choices, the keys, the name NAME (at most 8 characters; default: the file's\n"
        "name without .out or .hex, cut to 8) and the date. The pod holds at most 70 sections\n"
        "and 0x80000 bytes; an F281x program needs a section in flash. With --verify\n"
        "a POD Verify follows a successful store, and the line shows both results.",
        "  nembra-cli pod-write app.out --name APP_V2 --verify",
    };
    pages["pod-verify"] = {
        "compare the pod's stored program with FILE (POD Verify)",
        std::string(kGlobalSynopsis) + "pod-verify FILE",
        "Compares what the pod's serial flash holds with FILE.",
        "  nembra-cli pod-verify app.out",
    };
    pages["list"] = {
        "list the attached pods",
        std::string(kGlobalSynopsis) + "list",
        "Lists every attached FTDI device with its index (for --pod), serial number,\n"
        "description, backend, USB location and whether this user can open it; when\n"
        "not, why, with the udev hint. With --sim the simulated pods are listed.",
        "  nembra-cli list\n"
        "  nembra-cli --sim --sim-pods 4 --json list",
    };
    pages["job"] = {
        "write or check a production job file",
        std::string(kGlobalSynopsis) + "job check JOB | job new JOB --program FILE [OPTIONS]",
        "'job check JOB' shows a job's plan and every problem it has; 'job new JOB'\n"
        "writes a job file from the options the commands take. Run\n"
        "'nembra-cli job check --help' or 'nembra-cli job new --help' for their\n"
        "own pages.",
        "  nembra-cli job new line2.toml --program app.out --serial-address 0x3F4000 --serial-first 1000 "
        "--serial-last 9999 --store line2.sqlite\n"
        "  nembra-cli job check line2.toml\n"
        "  nembra-cli --json job check line2.toml",
    };
    pages["job check"] = {
        "show a job's plan and every problem it has",
        std::string(kGlobalSynopsis) + "job check JOB",
        "Reads the job file JOB (TOML), loads its program for the job's device and\n"
        "prints the plan: device, command and erase choice, the program with its\n"
        "SHA-256 and the CRC-32 of the words sent, the sectors the program touches\n"
        "and those erased (an intelligent erase also erases the sector that holds a\n"
        "serial number outside the program), the CSM key file, the pods, the\n"
        "serial-number plan and the record store. Then every problem at once:\n"
        "unknown or missing keys, wrong types, a program whose SHA-256 is not the\n"
        "job's (both hashes named), a CSM key file others can read (with the chmod\n"
        "to run), a serial number on program words or the CSM password words,\n"
        "outside flash, or in a POD Write job. The keys themselves are never shown.\n"
        "The job names its device, so --device is refused. Exit 0 when the job is\n"
        "sound, 1 otherwise; no pod is contacted.",
        "  nembra-cli job check line2.toml\n"
        "  nembra-cli --json job check line2.toml",
    };
    pages["job new"] = {
        "write a job file from the options the commands take",
        std::string(kGlobalSynopsis) + "job new JOB --program FILE [OPTIONS]",
        "Writes the job file JOB from options as the commands take them (--device,\n"
        "--command, --program, --erase-all, --name, --verify) and those of a job\n"
        "(--csm-keys-file, --pods, --serial-*, --store), with the program's SHA-256\n"
        "taken now and its path made relative to JOB's folder, then shows the plan\n"
        "as 'job check' does. An existing JOB is replaced only with --force, and a\n"
        "link at JOB is never followed. See docs/production.md.",
        "  nembra-cli job new line2.toml --program app.out --serial-address 0x3F4000 --serial-first 1000 "
        "--serial-last 9999 --store line2.sqlite\n",
    };
    pages["run"] = {
        "run a production job on its pods",
        std::string(kGlobalSynopsis) + "run JOB",
        "Runs the job file JOB on the pods it names (pods = \"all\": every pod\n"
        "attached). --pod narrows the run to some of those pods; a pod the job does\n"
        "not name is refused. Before any pod is touched the job's plan must pass (as\n"
        "'job check' shows it, every problem listed), the record store must answer,\n"
        "any rows a former run left in the spool are written to it, and with a\n"
        "serial-number plan one number per pod is taken in one transaction (when\n"
        "fewer remain the run stops and says how many). Each pod's image carries its\n"
        "own number in the flash stream. Each board's row goes to the store the\n"
        "moment its pod ends: a passing board keeps its number, a failed board's\n"
        "number goes back and is the next one given. A row the store does not take is kept in the\n"
        "spool beside the job (JOB.spool.jsonl) and written by the next run or\n"
        "'records JOB'; the run then ends with exit 1. A job with a CSM key file\n"
        "refuses --trace: the trace would carry the keys. --log, --json,\n"
        "--sim-target-hex and --sim-fault work as for the other commands.",
        "  nembra-cli run line2.toml\n"
        "  nembra-cli --sim --sim-pods 4 --sim-target-hex board.hex run line2.toml",
    };
    pages["records"] = {
        "list the rows a record store keeps, with counts",
        std::string(kGlobalSynopsis) +
            "records JOB_OR_STORE [--job NAME] [--board-serial N] [--pod-serial SERIAL] [--since TIME] "
            "[--until TIME] [--csv]",
        "Lists the rows of a record store: the one a job file (.toml) names, with\n"
        "that job's rows only unless --job says otherwise, or an SQLite store file or\n"
        "a postgresql:// URL. Filters by job, board serial number, pod serial number\n"
        "and time range (UTC texts, both ends included). Ends with the counts of\n"
        "passed, failed and total rows. --json prints one object with every row (the\n"
        "--log record's keys and job, station, operator, boardSerial, step, cause);\n"
        "--csv prints the rows as CSV with those keys as its header, and the counts on\n"
        "standard error. A store file that does not exist is not made.",
        "  nembra-cli records line2.toml\n"
        "  nembra-cli records line2.sqlite --since 2026-12-07T00:00:00Z --csv\n"
        "  nembra-cli --json records postgresql://db.line/nembra --board-serial 1042",
    };
    return pages;
}

}  // namespace

const HelpPage& HelpPageFor(const std::string& commandName) {
    static const std::map<std::string, HelpPage> pages = MakePages();
    const auto found = pages.find(commandName);
    return found == pages.end() ? pages.at("") : found->second;
}

const char* ExitStatusText() {
    return "  0  the operation succeeded (its final line is information)\n"
           "  1  the operation failed; its final line says why\n"
           "  2  usage error: unknown command, device or option, or a missing argument";
}

}  // namespace nembra::cli
