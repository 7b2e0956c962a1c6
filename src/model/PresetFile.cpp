#include "PresetFile.h"

#include "ChannelTables.h"
#include "IniFile.h"

#include <QFileInfo>

namespace korva {

const QString kPresetTypeValue = QStringLiteral("ZUL001");

namespace {

const QString kSection = QStringLiteral("Main");

std::vector<PresetKey> BuildKeyOrder() {
    using T = PresetKey::Target;
    std::vector<PresetKey> keys;
    keys.push_back({QStringLiteral("Type"), T::Type, 0, 0});
    auto addressKey = [](int g, int a) { return QStringLiteral("GROUP%1.ADDR%2").arg(g).arg(a); };
    for (int g = 0; g < kGroupCount; ++g) {
        for (const ChannelRow& row : ChannelTable()) {
            for (int k = 0; k < row.BandCount; ++k) {
                const int a = row.FirstBand + k;
                keys.push_back({addressKey(g, a) + QStringLiteral(".DATA1"), T::Data1, g, a});
                keys.push_back({addressKey(g, a) + QStringLiteral(".DATA2"), T::Data2, g, a});
                keys.push_back({addressKey(g, a) + QStringLiteral(".DATA3"), T::Data3, g, a});
            }
            for (uint8_t cut : {row.HighCut, row.LowCut}) {
                if (cut != kNoAddress) {
                    keys.push_back({addressKey(g, cut), T::Data1, g, cut});
                }
            }
        }
        for (const auto& [address, value] : GroupDefaultList()) {
            keys.push_back({addressKey(g, address), T::Data1, g, address});
        }
    }
    for (const auto& [address, value] : CommonDefaultList()) {
        keys.push_back({QStringLiteral("COMMON.ADDR%1").arg(address), T::Data1, 0, address});
    }
    for (int i = 0; i < 255; ++i) {
        keys.push_back({QStringLiteral("MENUSHOW.ADDR%1").arg(i), T::Menu, 0, i});
    }
    return keys;
}

// The byte a key names, for a const or a mutable model.
template <typename Model> auto& Cell(Model& model, const PresetKey& key) {
    auto& r = model.Store.at(key.group, key.address);
    switch (key.target) {
    case PresetKey::Target::Data2:
        return r.DATA2;
    case PresetKey::Target::Data3:
        return r.DATA3;
    case PresetKey::Target::Menu:
        return model.MenuShow[key.address];
    default:
        return r.DATA1;
    }
}

} // namespace

const std::vector<PresetKey>& PresetKeyOrder() {
    static const std::vector<PresetKey> keys = BuildKeyOrder();
    return keys;
}

QString PresetKeyValue(const ParamModel& model, const PresetKey& key) {
    if (key.target == PresetKey::Target::Type) {
        return kPresetTypeValue;
    }
    return QString::number(Cell(model, key));
}

PresetExportResult ExportPresetFile(const ParamModel& model, const QString& path) {
    IniFile ini;
    if (!ini.SetIniFilePath(path)) {
        return {false, ini.LastError()};
    }
    ini.IniSection = kSection;
    for (const PresetKey& key : PresetKeyOrder()) {
        ini.IniWrite(key.name, PresetKeyValue(model, key));
    }
    if (!ini.Commit()) {
        return {false, ini.LastError()};
    }
    return {true, {}};
}

std::optional<uint8_t> ParsePresetByte(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    for (QChar c : t) {
        if (!c.isDigit() || c.unicode() > 127) {
            return std::nullopt; // signs, fractions and exponents are not preset values
        }
    }
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v > 255) {
        return std::nullopt;
    }
    return uint8_t(v);
}

PresetImportResult ImportPresetFile(ParamModel& model, const QString& path) {
    using S = PresetImportResult::Status;
    IniFile ini;
    if (!ini.SetIniFilePath(path)) {
        return {S::NotPresetFile, {}};
    }
    ini.IniSection = kSection;
    if (ini.IniRead(QStringLiteral("Type"), {}, QStringLiteral("NULL")) != kPresetTypeValue) {
        return {S::NotPresetFile, {}};
    }
    // Stage into a copy so that a bad key anywhere leaves the model exactly as it was.
    ParamModel staged = model;
    for (const PresetKey& key : PresetKeyOrder()) {
        if (key.target == PresetKey::Target::Type) {
            continue;
        }
        std::optional<uint8_t> v = ParsePresetByte(ini.IniRead(key.name, {}, QStringLiteral("NULL")));
        if (!v) {
            return {S::BadData, key.name};
        }
        Cell(staged, key) = *v;
    }
    model.Store = staged.Store;
    model.MenuShow = staged.MenuShow;
    return {S::Ok, {}};
}

QString WithPresetExtension(const QString& name) {
    if (name.endsWith(QStringLiteral(".pa"), Qt::CaseInsensitive)) {
        return name;
    }
    return name + QStringLiteral(".PA");
}

} // namespace korva
