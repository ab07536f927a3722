#include "station/CsmKeyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace nembra::station {
namespace {

// The file's bytes through a descriptor that refuses a planted link; false
// with the reason otherwise.
bool ReadAll(const std::string& path, std::string& text, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read the CSM key file " + path + ": " + std::strerror(errno);
        return false;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < 65536) text.append(buffer, buffer + n);
    const int readError = n < 0 ? errno : 0;
    ::close(fd);
    if (readError != 0) {
        error = "cannot read the CSM key file " + path + ": " + std::strerror(readError);
        return false;
    }
    return true;
}

// Keys are separated by commas, blanks or line ends; every key is written
// out (FFFF for an unused word), so an empty field is no key.
std::vector<std::string> SplitKeys(const std::string& text) {
    std::vector<std::string> keys;
    std::string current;
    bool comment = false;
    for (char c : text) {
        if (c == '\n') comment = false;
        if (comment) continue;
        const bool separator = c == ',' || c == '#' || std::isspace(static_cast<unsigned char>(c));
        if (c == '#') comment = true;
        if (!separator) {
            current.push_back(c);
        } else if (!current.empty()) {
            keys.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) keys.push_back(current);
    return keys;
}

}  // namespace

bool IsCsmKeyText(const std::string& key) {
    std::string digits = key;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits = digits.substr(2);
    if (digits.empty() || digits.size() > 4) return false;
    return std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

std::vector<std::string> CheckCsmKeyFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {"cannot read the CSM key file " + path + ": " + std::strerror(errno)};
    if (!S_ISREG(info.st_mode)) return {"the CSM key file " + path + " is not a regular file"};
    std::vector<std::string> problems;
    if (info.st_uid != ::geteuid())
        problems.push_back("the CSM key file " + path +
                           " belongs to another user; keep the keys in a file of your own and run: chmod 600 " + path);
    else if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        problems.push_back("the CSM key file " + path + " is open to other users; run: chmod 600 " + path);
    return problems;
}

bool ReadCsmKeyFile(const std::string& path, CsmKeys& keys, std::string& error) {
    if (const std::vector<std::string> problems = CheckCsmKeyFile(path); !problems.empty()) {
        error = problems.front();
        return false;
    }
    std::string text;
    if (!ReadAll(path, text, error)) return false;
    const std::vector<std::string> found = SplitKeys(text);
    if (found.size() != keys.size()) {
        error = "the CSM key file " + path + " holds " + std::to_string(found.size()) +
                " keys; it needs exactly eight, KEY0 to KEY7";
        return false;
    }
    for (size_t i = 0; i < found.size(); ++i) {
        if (!IsCsmKeyText(found[i])) {
            error = "KEY" + std::to_string(i) + " in the CSM key file " + path + " is not 1 to 4 hexadecimal digits";
            return false;
        }
    }
    std::copy(found.begin(), found.end(), keys.begin());
    return true;
}

}  // namespace nembra::station
