#pragma once
// What the main window's edit paths may leave in the parameter store, taken from the controls that write
// each record: a slider's or knob's own range of values, a switch's two states, a step button's limits,
// a cut filter's frequency range on its channel. Records no control writes are not checked.

#include <QString>
#include <bitset>
#include <cstdint>
#include <vector>

namespace korva {
class ParamStore;
class ScrollBar;
class frmEQ;
} // namespace korva

namespace korva::soak {

class StoreRanges {
public:
    using Values = std::bitset<256>;

    // Read from the window's controls and bindings; `error` names a control the rules could not be
    // taken from.
    StoreRanges(frmEQ& window, QString* error);

    // The first record byte outside its rule, described; empty when every byte is in range.
    QString FirstViolation(const ParamStore& store) const;

    int RuleCount() const { return int(rules_.size()); }

    static Values UpTo(int highest);
    static Values Of(std::initializer_list<int> values);
    // Every value the control can show, over all its positions.
    static Values ValuesOf(const ScrollBar& control);

private:
    struct Rule {
        uint8_t Address = 0;
        int Field = 1; // DATA1, DATA2 or DATA3
        Values Allowed;
        QString Control;
    };
    // Two controls on one byte: either may have written it.
    void Allow(int address, int field, const Values& allowed, const QString& control);

    std::vector<Rule> rules_;
};

} // namespace korva::soak
