#include <cctype>

#include "image/LoadCoffFile.h"

namespace nembra {
namespace {

constexpr size_t kPodFileNameBytes = 8;

bool EndsWithExtension(const std::string& name, const char (&extension)[5]) {
    if (name.size() <= 4) return false;
    const size_t start = name.size() - 4;
    for (size_t i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(name[start + i]);
        if (std::toupper(c) != extension[i]) return false;
    }
    return true;
}

}  // namespace

bool IsPodFileNameChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F;
}

// Cut by bytes first, as the pod counts them; a character of several bytes
// (Hangul, say) then becomes one "_" per byte, and the name never holds a
// line break or half a character.
std::string PodFileNameFrom(const std::string& fileName) {
    std::string name = fileName;
    if (EndsWithExtension(name, ".OUT") || EndsWithExtension(name, ".HEX")) name.resize(name.size() - 4);
    if (name.size() > kPodFileNameBytes) name.resize(kPodFileNameBytes);
    for (char& c : name)
        if (!IsPodFileNameChar(c)) c = '_';
    return name;
}

}  // namespace nembra
