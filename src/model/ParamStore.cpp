#include "ParamStore.h"

#include <stdexcept>
#include <string>

namespace korva {

int ParamStore::IndexOf(int group, int address) {
    if (group < 0 || group >= kGroupCount || address < 0 || address >= kAddressCount) {
        throw std::out_of_range("ParamStore index out of range: group " + std::to_string(group) +
                                ", address " + std::to_string(address));
    }
    return group * kAddressCount + address;
}

ParamRecord& ParamStore::at(int group, int address) {
    return records_[IndexOf(group, address)];
}

const ParamRecord& ParamStore::at(int group, int address) const {
    return records_[IndexOf(group, address)];
}

} // namespace korva
