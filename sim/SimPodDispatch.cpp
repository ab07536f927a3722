#include "sim/SimPodDispatch.h"

#include "sim/SimCommandTable.h"

namespace nembra {

namespace {

CsmKeyTable KeysAt(const std::string& fields, size_t offset) {
    CsmKeyTable keys{};
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = static_cast<uint16_t>(HexField(fields, offset + 4 * i, 4));
    return keys;
}

TagRecord TagOf(const std::string& fields) {
    TagRecord tag{};
    for (size_t i = 0; i < tag.size(); ++i) tag[i] = static_cast<uint8_t>(HexField(fields, 2 * i, 2));
    return tag;
}

}  // namespace

void SimPodDispatch::SetVersionReply(const std::string& fiveChars) {
    version_ = fiveChars.substr(0, 5);
    version_.resize(5, '\0');
}

SimReply SimPodDispatch::Execute(const SimFrame& frame) {
    const std::string& f = frame.fields;
    switch (frame.letter) {
        case 'I': return SimReply::Accept();
        case '?': return SimReply::AcceptWith(std::vector<uint8_t>(version_.begin(), version_.end()));
        case 'J': return serialFlash_.FileRecord();
        case 'R': return target_.Reset();
        case 'M': return target_.BootLf240x(HexField(f, 0, 1));
        case 'N': return target_.BootF281x(HexField(f, 0, 1));
        case 'K': return target_.LoadAlgorithm(HexField(f, 0, 1), KeysAt(f, 1));
        case 'O': return FlashOperation(f);
        case 'S':
            if (serialFlash_.inAccess()) return serialFlash_.DataWord(static_cast<uint16_t>(HexField(f, 0, 4)));
            return target_.StreamWord('S', static_cast<uint16_t>(HexField(f, 0, 4)));
        case 'U':
        case 'X':
        case 'Y':
        case 'Z': return target_.StreamWord(frame.letter, static_cast<uint16_t>(HexField(f, 0, 4)));
        case 'G': return serialFlash_.Begin();
        case 'H': return serialFlash_.End();
        case 'i': return serialFlash_.Abort();
        default: return SerialFlashRecord(frame.letter, f);
    }
}

SimReply SimPodDispatch::FlashOperation(const std::string& fields) {
    switch (HexField(fields, 0, 2)) {
        case 0x00: return target_.InitFlash();
        case 0x01: return target_.Erase(HexField(fields, 2, 4));
        case 0x02: return target_.Program(HexField(fields, 2, 6), HexField(fields, 8, 4));
        default: return SimReply::Refuse("'O' flash operation " + fields.substr(0, 2) + " is unknown");
    }
}

SimReply SimPodDispatch::SerialFlashRecord(char letter, const std::string& f) {
    switch (letter) {
        case 'V':
            return serialFlash_.SectionRecord(HexField(f, 0, 2), HexField(f, 2, 6), HexField(f, 8, 6),
                                              HexField(f, 14, 6));
        case 'W': return serialFlash_.WritePage(HexField(f, 0, 4), HexField(f, 4, 4));
        case 'L': return serialFlash_.ComparePage(HexField(f, 0, 4), HexField(f, 4, 4));
        case 'P': return serialFlash_.Password(KeysAt(f, 0));
        case 'T': return serialFlash_.Tag(TagOf(f));
        case 'Q':
            return serialFlash_.Summary(HexField(f, 0, 1), HexField(f, 1, 1), HexField(f, 2, 4), HexField(f, 6, 2));
        case 'h': return serialFlash_.ReadSummary();
        case 'g': return serialFlash_.ReadPassword();
        case 'l': return serialFlash_.ReadSection(HexField(f, 0, 2));
        default: return SimReply::Refuse(std::string("unknown command letter '") + letter + "'");
    }
}

}  // namespace nembra
