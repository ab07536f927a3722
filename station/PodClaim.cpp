#include "station/PodClaim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "files/PrivateFile.h"
#include "files/PrivateFolder.h"

namespace nembra::station {
namespace {

bool PlainByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// What a holder wrote, kept to printable ASCII so a message never carries odd bytes.
std::string Printable(const char* bytes, size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n') break;
        text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    return text;
}

}  // namespace

PodClaims::PodClaims(std::string folder, std::string holder) : folder_(std::move(folder)), holder_(std::move(holder)) {}

PodClaims::~PodClaims() {
    for (const auto& [serial, fd] : held_) ::close(fd);
}

std::string PodClaims::DefaultFolder(std::string& why) {
    std::vector<std::string> passedOver;
    const std::vector<std::string> folders = PrivateRuntimeFolders(passedOver);
    why.clear();
    for (const std::string& reason : passedOver) why += (why.empty() ? "" : "; ") + reason;
    return folders.empty() ? std::string() : folders.front();
}

std::string PodClaims::ClaimPath(const std::string& serial) const {
    std::string name;
    for (const char c : serial) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (PlainByte(byte)) {
            name += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            name += escaped;
        }
    }
    return folder_ + "/pod-" + name + ".claim";
}

std::string PodClaims::HolderOf(int fd) const {
    std::array<char, 128> bytes{};
    const ssize_t length = ::pread(fd, bytes.data(), bytes.size(), 0);
    const std::string text = length > 0 ? Printable(bytes.data(), static_cast<size_t>(length)) : std::string();
    return text.empty() ? "another program" : text;
}

bool PodClaims::Claim(const std::string& serial, std::string& refusal) {
    std::lock_guard lock(mutex_);
    if (held_.count(serial) != 0) return true;
    if (folder_.empty()) {
        refusal = "the pod " + serial + " cannot be claimed: there is no private folder for its claim";
        return false;
    }
    const std::string path = ClaimPath(serial);
    const int fd = OpenPrivateFile(path, O_RDWR, ExistingFile::NarrowIfOwned);
    if (fd < 0) {
        refusal = "the pod " + serial + " cannot be claimed: " + OpenFailureText(path, errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        refusal = error == EWOULDBLOCK ? "the pod " + serial + " is in use by " + HolderOf(fd)
                                       : "the pod " + serial + " cannot be claimed: " + OpenFailureText(path, error);
        ::close(fd);
        return false;
    }
    // Who holds it, for the other side's refusal; the claim holds without it.
    const std::string text = holder_ + " (process " + std::to_string(::getpid()) + ")\n";
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
    held_[serial] = fd;
    return true;
}

void PodClaims::Release(const std::string& serial) {
    std::lock_guard lock(mutex_);
    const auto found = held_.find(serial);
    if (found == held_.end()) return;
    // The file stays: removing it would let a waiting claimer lock a file no
    // longer in the folder while a third makes a new one.
    (void)!::ftruncate(found->second, 0);
    ::close(found->second);
    held_.erase(found);
}

bool PodClaims::Holds(const std::string& serial) const {
    std::lock_guard lock(mutex_);
    return held_.count(serial) != 0;
}

}  // namespace nembra::station
