#pragma once
// The client's image of the processor's parameter memory and the selection indices that say which part of
// it is on screen. One ParamModel is owned by the application and handed to whoever needs it.

#include <array>
#include <cstdint>

namespace korva {

constexpr int kGroupCount = 8;
constexpr int kAddressCount = 256;
constexpr int kChannelCount = 8;
constexpr int kFirstCommonAddress = 0xC0;

// DATA1..DATA3 of one address in one parameter group, as the processor stores and sends them.
struct ParamRecord {
    uint8_t DATA1 = 0;
    uint8_t DATA2 = 0;
    uint8_t DATA3 = 0;
    // DATA1..DATA3 by field number 0..2.
    uint8_t& Field(int field) { return field == 0 ? DATA1 : field == 1 ? DATA2 : DATA3; }
    uint8_t Field(int field) const { return field == 0 ? DATA1 : field == 1 ? DATA2 : DATA3; }
    friend bool operator==(const ParamRecord&, const ParamRecord&) = default;
};

// 8 parameter groups x 256 addresses. Addresses 0xC0..0xFF are group-independent and live in group 0.
class ParamStore {
public:
    // Bounds-checked access; an index outside 0..7 / 0..255 throws std::out_of_range.
    ParamRecord& at(int group, int address);
    const ParamRecord& at(int group, int address) const;

    void Clear() { records_.fill({}); }

    friend bool operator==(const ParamStore&, const ParamStore&) = default;

private:
    static int IndexOf(int group, int address);
    std::array<ParamRecord, kGroupCount * kAddressCount> records_{};
};

// Per address: 0 = the processor's front-panel menu shows the item, nonzero = hidden.
using MenuShowTable = std::array<uint8_t, kAddressCount>;

using DevicePasswordBytes = std::array<uint8_t, 9>;

// The group whose cell holds an address of a group: Common addresses always live in group 0.
constexpr int CellGroup(int group, int address) {
    return address >= kFirstCommonAddress ? 0 : group;
}

// Everything the parameter model holds for one run of the program.
struct ParamModel {
    ParamStore Store;
    MenuShowTable MenuShow{};
    uint8_t CurrentGroup = 0;   // 0..7, the group shown and edited
    uint8_t CurrentChannel = 0; // 0..7, the EQ channel selected
    DevicePasswordBytes DevicePassword{};

    // The cell of an address in a group (Common addresses: group 0's).
    ParamRecord& Cell(int group, int address) { return Store.at(CellGroup(group, address), address); }
    const ParamRecord& Cell(int group, int address) const { return Store.at(CellGroup(group, address), address); }
};

} // namespace korva
