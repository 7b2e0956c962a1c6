#include "PresetFile.h"

#include "ChannelTables.h"
#include "IniFile.h"


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

// What the strict reading refuses about a key that the window reads as it is: missing, written twice
// (the window reads the first) or a value longer than the window reads (it cuts it). Empty when none.
QString StrictKeyProblem(const IniFile& ini, const QString& key) {
    const IniFile::KeyLines lines = ini.FindKeyLines(key);
    if (lines.First == 0) {
        return QStringLiteral("缺少键 %1").arg(key);
    }
    if (lines.Second != 0) {
        return QStringLiteral("第 %1 行：%2 重复，第 %3 行已有这个键")
            .arg(lines.Second)
            .arg(key)
            .arg(lines.First);
    }
    if (const qsizetype length = ini.IniReadUncut(key).size(); length > IniFile::kMaxValueLength) {
        return QStringLiteral("第 %1 行：%2 的值有 %3 个字符，超过 %4 个")
            .arg(lines.First)
            .arg(key)
            .arg(length)
            .arg(IniFile::kMaxValueLength);
    }
    return {};
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

namespace {

void WritePresetKeys(IniFile& ini, const ParamModel& model) {
    ini.IniSection = kSection;
    for (const PresetKey& key : PresetKeyOrder()) {
        ini.IniWrite(key.name, PresetKeyValue(model, key));
    }
}

} // namespace

QByteArray PresetFileText(const ParamModel& model) {
    IniFile ini;
    WritePresetKeys(ini, model);
    return ini.Serialize();
}

PresetExportResult ExportPresetFile(const ParamModel& model, const QString& path) {
    IniFile ini;
    if (!ini.SetIniFilePath(path)) {
        return {false, ini.LastError()};
    }
    WritePresetKeys(ini, model);
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

PresetImportResult ImportPresetFile(ParamModel& model, const QString& path, PresetReading reading) {
    using S = PresetImportResult::Status;
    const bool strict = reading == PresetReading::Strict;
    PresetImportResult result;
    QByteArray bytes;
    if (!ReadRegularFile(path, bytes, &result.read, IniFile::kMaxFileBytes)) {
        // Only the strict reading tells a missing file apart; the window's import does not get here
        // for one (its dialog only offers files that exist).
        return result;
    }
    IniFile ini;
    ini.SetIniText(bytes);
    ini.IniSection = kSection;
    const QString typeKey = QStringLiteral("Type");
    if (strict && !(result.detail = StrictKeyProblem(ini, typeKey)).isEmpty()) {
        return result;
    }
    if (const QString type = ini.IniRead(typeKey, {}, QStringLiteral("NULL")); type != kPresetTypeValue) {
        if (strict) {
            result.detail = QStringLiteral("第 %1 行：Type 是“%2”，应为 %3")
                                .arg(ini.FindKeyLines(typeKey).First)
                                .arg(DisplayPath(type), kPresetTypeValue);
        }
        return result;
    }
    // Stage into a copy so that a bad key anywhere leaves the model exactly as it was.
    ParamModel staged = model;
    for (const PresetKey& key : PresetKeyOrder()) {
        if (key.target == PresetKey::Target::Type) {
            continue;
        }
        if (strict && !(result.detail = StrictKeyProblem(ini, key.name)).isEmpty()) {
            return {S::BadData, key.name, {}, result.detail};
        }
        const QString text = ini.IniRead(key.name, {}, QStringLiteral("NULL"));
        std::optional<uint8_t> v = ParsePresetByte(text);
        if (!v) {
            if (strict) {
                result.detail = QStringLiteral("第 %1 行：%2 的值“%3”不是 0 到 255 的整数")
                                    .arg(ini.FindKeyLines(key.name).First)
                                    .arg(key.name, DisplayPath(text));
            }
            return {S::BadData, key.name, {}, result.detail};
        }
        Cell(staged, key) = *v;
    }
    model.Store = staged.Store;
    model.MenuShow = staged.MenuShow;
    return {S::Ok, {}, {}, {}};
}

QString WithPresetExtension(const QString& name) {
    if (name.endsWith(QStringLiteral(".pa"), Qt::CaseInsensitive)) {
        return name;
    }
    return name + QStringLiteral(".PA");
}

} // namespace korva
