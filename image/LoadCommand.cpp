#include "image/LoadCoffFile.h"

namespace nembra {

std::string Trim(const std::string& text) {
    static constexpr char kWhiteSpace[] = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

LoadResult RunLoadCommand(LoadContext& ctx, const std::string& filePathText) {
    const std::string path = Trim(filePathText);
    if (path.empty()) {
        const std::string line = "Please, specify COFF file to read";
        ctx.status.ShowMessage(line, true);
        return {false, line};
    }
    return LoadCoffFile(ctx, path, true);
}

}  // namespace nembra
