#pragma once
#include <map>
#include <mutex>
#include <string>

namespace nembra::station {

// Which pods a program on this host drives, so that two programs (the
// operator's station and the engineer's window) never drive one pod at
// once. A claim is an flock() on a private lock file per pod serial number:
// the kernel drops it when the holder dies, so a crashed program never
// keeps a pod. The file names its holder, for the refusal the other side
// shows. Safe to use from several threads.
class PodClaims {
public:
    // `folder`: where the claims live (see DefaultFolder); `holder`: this
    // program as a refusal names it ("nembra-station").
    PodClaims(std::string folder, std::string holder);
    ~PodClaims();
    PodClaims(const PodClaims&) = delete;
    PodClaims& operator=(const PodClaims&) = delete;

    // The first private runtime folder; empty with the reasons when none will do.
    static std::string DefaultFolder(std::string& why);

    // True when this object holds the pod now (or already did); false with
    // a sentence naming the pod and who holds it, or why no claim can be made.
    bool Claim(const std::string& serial, std::string& refusal);
    void Release(const std::string& serial);
    bool Holds(const std::string& serial) const;
    const std::string& holder() const { return holder_; }

    // The claim file of a pod: the serial number with every byte but letters,
    // digits, '-' and '_' written as %XX, so no serial number leaves the folder.
    std::string ClaimPath(const std::string& serial) const;

private:
    std::string HolderOf(int fd) const;

    std::string folder_;
    std::string holder_;
    mutable std::mutex mutex_;
    std::map<std::string, int> held_;  // serial number -> locked descriptor
};

}  // namespace nembra::station
