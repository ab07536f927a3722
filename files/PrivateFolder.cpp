#include "files/PrivateFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace nembra {
namespace {

// The folder, and each missing folder above it below `base`, made 0700.
void MakeFolders(const std::string& base, const std::vector<std::string>& parts) {
    std::string path = base;
    for (const std::string& part : parts) {
        path += "/" + part;
        ::mkdir(path.c_str(), S_IRWXU);
    }
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::string WhyNotPrivate(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return folder + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return folder + " is not a folder";
    if (info.st_uid != ::geteuid()) return folder + " belongs to another user";
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) return folder + " may be written by other users";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return folder + " is not writable: " + std::strerror(errno);
    return {};
}

std::vector<std::string> PrivateRuntimeFolders(std::vector<std::string>& passedOver) {
    std::vector<std::string> folders;
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    const std::string runtimeFault = runtime.empty() ? "XDG_RUNTIME_DIR is not set" : WhyNotPrivate(runtime);
    if (runtimeFault.empty())
        folders.push_back(runtime);
    else
        passedOver.push_back(runtimeFault);
    const std::string home = Environment("HOME");
    if (home.empty() || home.front() != '/') {
        passedOver.push_back("HOME is not set");
        return folders;
    }
    MakeFolders(home, {".local", "state", "nembra"});
    const std::string state = home + "/.local/state/nembra";
    const std::string stateFault = WhyNotPrivate(state);
    if (stateFault.empty())
        folders.push_back(state);
    else
        passedOver.push_back(stateFault);
    return folders;
}

}  // namespace nembra
