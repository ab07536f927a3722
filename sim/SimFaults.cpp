#include "sim/SimFaults.h"

namespace nembra {

std::vector<SimFault> SimFaults::Strike(char letter) {
    std::vector<SimFault> striking;
    for (auto it = armed_.begin(); it != armed_.end();) {
        if (it->fault.letter == letter && ++it->seen >= it->fault.occurrence) {
            striking.push_back(it->fault);
            it = armed_.erase(it);
        } else {
            ++it;
        }
    }
    return striking;
}

}  // namespace nembra
