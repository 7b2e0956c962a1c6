#pragma once
// Typed forms of the binding texts (TagNew) that tie a skinned control to a parameter.

#include <QString>
#include <cstdint>
#include <optional>

namespace korva {

enum class BindingScope { Group, Common };

// The group a binding's scope word names: "Group" the one shown, "Common" group 0.
constexpr int ScopeGroup(BindingScope scope, int currentGroup) {
    return scope == BindingScope::Group ? currentGroup : 0;
}

// "Group,&H40" on a slider: DATA1 of the address in the scope's group.
struct SliderBinding {
    BindingScope Scope = BindingScope::Group;
    uint8_t Address = 0;
};

enum class DisplayKind { Value, EchoDly, RevTime };

// "Common,&HC0,Value" on a digit display.
struct DisplayBinding {
    BindingScope Scope = BindingScope::Group;
    uint8_t Address = 0;
    DisplayKind Kind = DisplayKind::Value;
    QString KindText; // the kind word as written, for FormatParamValue
};

// "&HCB" on a button: DATA1 of the address.
struct ButtonBinding {
    uint8_t Address = 0;
};

// "68,1,3" on a point-value display: data byte (0..2) of the address, shown for EQ point 3.
struct PointValueBinding {
    uint8_t Address = 0;
    int DataIndex = 0;
    int Point = 0;
};

// "3" on a point marker: the EQ point number.
struct PointMarkerBinding {
    int Point = 0;
};

// Each parser returns std::nullopt for malformed text and, when error is given, says why.
std::optional<SliderBinding> ParseSliderBinding(const QString& text, QString* error = nullptr);
std::optional<DisplayBinding> ParseDisplayBinding(const QString& text, QString* error = nullptr);
std::optional<ButtonBinding> ParseButtonBinding(const QString& text, QString* error = nullptr);
std::optional<PointValueBinding> ParsePointValueBinding(const QString& text, QString* error = nullptr);
std::optional<PointMarkerBinding> ParsePointMarkerBinding(const QString& text, QString* error = nullptr);

// Run-time texts written by the channel selector.
QString FormatButtonBinding(uint8_t address);                               // "&H43"
QString FormatPointValueBinding(uint8_t address, int dataIndex, int point); // "68,1,3"

} // namespace korva
