#include "sim/SimStoreFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "files/BoundedLock.h"

namespace nembra {

namespace {

constexpr const char* kMagic = "nembra-sim-pod-store 1";
constexpr size_t kMaxFileBytes = 8u << 20;

// One write per call: a character at a time through the stream cost a
// simulated pod more than the rest of its POD Write.
void PutHex(std::ostream& out, const uint8_t* bytes, size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(2 * count, '0');
    for (size_t i = 0; i < count; ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 0xF];
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool GetHexBytes(const std::string& text, std::vector<uint8_t>& bytes) {
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return true;
}

bool GetNumber(std::istringstream& in, uint32_t limit, uint32_t& value) {
    std::string word;
    if (!(in >> word) || word.empty() || word.size() > 8) return false;
    uint32_t result = 0;
    for (char c : word) {
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        result = result << 4 | static_cast<uint32_t>(digit);
    }
    if (result > limit) return false;
    value = result;
    return true;
}

bool AtEnd(std::istringstream& in) {
    std::string rest;
    return !(in >> rest);
}

bool ParseKeys(const std::vector<uint8_t>& bytes, CsmKeyTable& keys) {
    if (bytes.size() != 2 * keys.size()) return false;
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    return true;
}

bool ParseLine(const std::string& line, SimStore& store) {
    std::istringstream in(line);
    std::string key;
    in >> key;
    uint32_t a = 0, b = 0, c = 0;
    std::string text;
    std::vector<uint8_t> bytes;
    if (key == "device") {
        if (!GetNumber(in, 5, a) || a == 0) return false;
        store.deviceCode = static_cast<uint8_t>(a);
    } else if (key == "csm") {
        if (!GetNumber(in, 1, a)) return false;
        store.csmOption = static_cast<uint8_t>(a);
    } else if (key == "mask") {
        if (!GetNumber(in, 0xFFFF, a)) return false;
        store.sectorMask = static_cast<uint16_t>(a);
    } else if (key == "count") {
        if (!GetNumber(in, 0xFF, a)) return false;
        store.sectionCount = static_cast<uint8_t>(a);
    } else if (key == "keys") {
        if (!(in >> text) || !GetHexBytes(text, bytes) || !ParseKeys(bytes, store.keys)) return false;
    } else if (key == "tag") {
        if (!(in >> text) || !GetHexBytes(text, bytes) || bytes.size() != store.tag.size()) return false;
        std::copy(bytes.begin(), bytes.end(), store.tag.begin());
    } else if (key == "section") {
        if (!GetNumber(in, 0xFFFFFF, a) || !GetNumber(in, 0xFFFFFF, b) || !GetNumber(in, 0xFFFFFF, c)) return false;
        if (store.sections.size() >= 0xFF) return false;
        store.sections.push_back({a, b, c});
    } else if (key == "page") {
        if (!(in >> text) || !GetHexBytes(text, bytes) || bytes.empty() || bytes.size() > kSimPageBytes) return false;
        if (store.pages.size() >= kSimPageCount) return false;
        store.pages.push_back(bytes);
    } else {
        return false;
    }
    return AtEnd(in);
}

}  // namespace

std::string FormatStore(const SimStore& store) {
    std::ostringstream out;
    out << kMagic << '\n';
    if (!store.hasProgram) {
        out << "empty\n";
        return out.str();
    }
    out << std::hex << std::uppercase;
    out << "device " << int{store.deviceCode} << "\ncsm " << int{store.csmOption} << "\nmask " << store.sectorMask
        << "\ncount " << int{store.sectionCount} << "\nkeys ";
    for (uint16_t key : store.keys) {
        const uint8_t pair[2] = {static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(key)};
        PutHex(out, pair, 2);
    }
    out << "\ntag ";
    PutHex(out, store.tag.data(), store.tag.size());
    out << '\n';
    for (const auto& s : store.sections)
        out << "section " << s.address << ' ' << s.wordCount << ' ' << s.dataOffset << '\n';
    for (const auto& page : store.pages) {
        out << "page ";
        PutHex(out, page.data(), page.size());
        out << '\n';
    }
    out << "end\n";
    return out.str();
}

bool ParseStore(const std::string& text, SimStore& store) {
    store = {};
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kMagic || !std::getline(in, line)) return false;
    if (line == "empty") return AtEnd(in);
    SimStore parsed;
    parsed.hasProgram = true;
    bool ended = false;
    do {
        if (line == "end") {
            ended = true;
            break;
        }
        if (!ParseLine(line, parsed)) return false;
    } while (std::getline(in, line));
    if (!ended || parsed.deviceCode == 0 || !AtEnd(in)) return false;
    store = std::move(parsed);
    return true;
}

bool LoadStoreFile(const std::string& path, SimStore& store) {
    store = {};
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileBytes) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    return ParseStore(text.str(), store);
}

namespace {

// A temporary file of this writer's own beside the store, written whole.
bool WriteTemporary(const std::string& path, const std::string& text, std::string& temporary) {
    std::string name = path + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    temporary = name;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    // 0600 whatever the umask: the store holds the CSM keys in clear.
    const bool ok = done == text.size() && ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    return ::close(fd) == 0 && ok;
}

}  // namespace

std::string StoreLockPath(const std::string& path) { return path + ".lock"; }

bool SaveStoreFile(const std::string& path, const SimStore& store, const LockPatience& patience) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
    // Writers of one store, in this process and in others, take turns under
    // this lock, held until the rename.
    LockFile lock;
    if (lock.Acquire(StoreLockPath(path), patience) != LockResult::Locked) return false;
    std::string temporary;
    if (!WriteTemporary(path, FormatStore(store), temporary)) {
        if (!temporary.empty()) fs::remove(temporary, error);
        return false;
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace nembra
