#include "StoreRanges.h"

#include "eq/EqScales.h"
#include "mainwindow/design/BindingTable.h"
#include "mainwindow/editing/EditHandlers.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/frmEQ.h"
#include "model/ChannelTables.h"
#include "model/ParamStore.h"
#include "widgets/ScrollBar.h"

#include <optional>

namespace korva::soak {

namespace {

// A cut filter has no gain and no Q of its own: editing it stores 0 dB (gain index 75) and Q index 14;
// until then it keeps the zeros the defaults leave in those bytes.
constexpr int kFlatGainIndex = 75;
constexpr int kCutQIndex = 14;

QString Hex(int value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

StoreRanges::Values StoreRanges::UpTo(int highest) {
    Values values;
    for (int v = 0; v <= highest && v < 256; ++v) {
        values.set(size_t(v));
    }
    return values;
}

StoreRanges::Values StoreRanges::Of(std::initializer_list<int> list) {
    Values values;
    for (int v : list) {
        values.set(size_t(v));
    }
    return values;
}

StoreRanges::Values StoreRanges::ValuesOf(const ScrollBar& control) {
    const ScrollBarGeometry geometry = control.Geometry();
    Values values;
    for (int position = 0; position <= geometry.maxValue; ++position) {
        values.set(size_t(uint8_t(geometry.ValueAt(position))));
    }
    return values;
}

void StoreRanges::Allow(int address, int field, const Values& allowed, const QString& control) {
    for (Rule& rule : rules_) {
        if (rule.Address == address && rule.Field == field) {
            rule.Allowed |= allowed;
            rule.Control += QStringLiteral(" / ") + control;
            return;
        }
    }
    rules_.push_back({uint8_t(address), field, allowed, control});
}

StoreRanges::StoreRanges(frmEQ& window, QString* error) {
    const MainControls& c = window.Controls();
    const BindingTable& bindings = window.Bindings();
    auto require = [error](const std::optional<ButtonBinding>& binding, const char* name) {
        if (!binding && error && error->isEmpty()) {
            *error = QStringLiteral("no binding for %1").arg(QLatin1String(name));
        }
        return binding.has_value();
    };

    for (size_t i = 0; i < c.MyScrollBar.size(); ++i) {
        if (const std::optional<SliderBinding>& b = bindings.Slider(int(i))) {
            Allow(b->Address, 1, ValuesOf(*c.MyScrollBar[i]), QStringLiteral("MyScrollBar(%1)").arg(i));
        }
    }
    const Values onOff = Of({0, 1});
    for (int pair = 0; pair < int(c.MyButton.size()) / 2; ++pair) {
        if (const std::optional<ButtonBinding>& b = bindings.MyButtonPair(pair)) {
            Allow(b->Address, 1, onOff, QStringLiteral("MyButton(%1)").arg(2 * pair));
        }
    }
    for (uint8_t address : BypassAddressTable()) {
        Allow(address, 1, onOff, QStringLiteral("btnEQByPass"));
    }
    if (require(bindings.Fbx(), "btnFBX")) {
        Allow(bindings.Fbx()->Address, 1, UpTo(EditHandlers::kFbxHighest), QStringLiteral("btnFBX"));
    }
    if (require(bindings.Input(), "btnInput")) {
        Allow(bindings.Input()->Address, 1, UpTo(EditHandlers::kInputHighest), QStringLiteral("btnInput"));
    }
    if (require(bindings.ShowStartMode(), "btnShowStartMode")) {
        Allow(bindings.ShowStartMode()->Address, 1, UpTo(EditHandlers::kStartGroupHighest),
              QStringLiteral("btnShowStartMode"));
    }
    if (require(bindings.SaveModePair(), "btnSaveMode")) {
        Allow(bindings.SaveModePair()->Address, 1, onOff, QStringLiteral("btnSaveMode"));
    }
    if (require(bindings.ModeChangePair(), "btnModeChange")) {
        Allow(bindings.ModeChangePair()->Address, 1, onOff, QStringLiteral("btnModeChange"));
    }

    const Values freq = ValuesOf(*c.MKnobFreq);
    const Values gain = ValuesOf(*c.MKnobDb);
    const Values q = ValuesOf(*c.MKnobQ);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const ChannelRow& row = ChannelTable().at(size_t(channel));
        const QString name = QStringLiteral("EQ channel %1").arg(channel);
        for (int k = 0; k < row.BandCount; ++k) {
            Allow(row.FirstBand + k, 1, freq, name + QStringLiteral(" band frequency (MKnobFreq)"));
            Allow(row.FirstBand + k, 2, gain, name + QStringLiteral(" band gain (MKnobDb)"));
            Allow(row.FirstBand + k, 3, q, name + QStringLiteral(" band Q (MKnobQ)"));
        }
        const auto cut = [&](uint8_t address, FreqIndexRange range, const QString& what) {
            if (address == kNoAddress) {
                return;
            }
            Allow(address, 1, freq & (UpTo(range.Highest) & ~UpTo(range.Lowest - 1)), name + what);
            Allow(address, 2, Of({0, kFlatGainIndex}), name + what);
            Allow(address, 3, Of({0, kCutQIndex}), name + what);
        };
        cut(row.HighCut, HighCutIndexRange(channel), QStringLiteral(" high-cut"));
        cut(row.LowCut, LowCutIndexRange(channel), QStringLiteral(" low-cut"));
    }
}

QString StoreRanges::FirstViolation(const ParamStore& store) const {
    for (const Rule& rule : rules_) {
        // Common addresses exist once, in group 0.
        const int groups = rule.Address >= kFirstCommonAddress ? 1 : kGroupCount;
        for (int group = 0; group < groups; ++group) {
            const ParamRecord& r = store.at(group, rule.Address);
            const uint8_t value = rule.Field == 1 ? r.DATA1 : rule.Field == 2 ? r.DATA2 : r.DATA3;
            if (!rule.Allowed.test(value)) {
                return QStringLiteral("group %1, address %2, DATA%3 = %4, outside what %5 allows")
                    .arg(group)
                    .arg(Hex(rule.Address))
                    .arg(rule.Field)
                    .arg(value)
                    .arg(rule.Control);
            }
        }
    }
    return {};
}

} // namespace korva::soak
