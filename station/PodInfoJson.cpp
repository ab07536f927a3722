#include "station/PodInfoJson.h"

#include <string>

namespace nembra::station {

nlohmann::ordered_json PodInfoJson(uint16_t firmwareVersion, const PodFileRecord& record) {
    nlohmann::ordered_json podFile = nullptr;
    if (record.stored()) podFile = {{"name", record.StoredName()}, {"date", record.StoredDate()}};
    return {{"firmwareVersion", firmwareVersion},
            {"podVersion", std::to_string(firmwareVersion / 10) + "." + std::to_string(firmwareVersion % 10)},
            {"podFile", podFile}};
}

}  // namespace nembra::station
