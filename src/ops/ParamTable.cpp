#include "ops/ParamTable.h"

#include "model/ChannelTables.h"

#include <QRegularExpression>
#include <array>
#include <stdexcept>

namespace korva {

namespace {

struct ChannelNames {
    const char* name;
    const char* label;
};

// Indexed by EQ channel.
constexpr ChannelNames kChannels[kChannelCount] = {
    {"music", "音乐"},    {"mic12", "话筒1-2"},  {"mic3", "话筒3"}, {"effect", "效果"},
    {"centre", "中置"},   {"surround", "环绕"}, {"bass", "低音"},  {"rec", "录音"},
};

// The bass row of the channel table has no bands (the window shows none), but the processor keeps three
// at its first-band address, as the defaults do.
constexpr int kBassBandCount = 3;

constexpr int kFreqIndexHighest = 241;
constexpr int kGainIndexHighest = 150;
constexpr int kQIndexLowest = 1;
constexpr int kQIndexHighest = 75;
constexpr int kEchoDelayIndexHighest = 31;

ParamDef Plain(ParamScope scope, uint8_t address, const char* name, const char* label, int rawMax,
               ParamSend send = ParamSend::Value) {
    ParamDef d;
    d.Name = QString::fromLatin1(name);
    d.Label = QString::fromUtf8(label);
    d.Scope = scope;
    d.Address = address;
    d.RawMax = rawMax;
    d.Send = send;
    return d;
}

ParamDef Choice(ParamScope scope, uint8_t address, const char* name, const char* label,
                std::initializer_list<const char*> words, ParamSend send) {
    ParamDef d = Plain(scope, address, name, label, int(words.size()) - 1, send);
    d.Unit = ParamUnit::Choice;
    for (const char* w : words) {
        d.Choices << QString::fromLatin1(w);
    }
    return d;
}

ParamDef Offset(ParamDef d, int userOffset) {
    d.UserOffset = userOffset;
    return d;
}

void AddPanels(std::vector<ParamDef>& t) {
    using S = ParamScope;
    using P = ParamSend;
    // Master faders.
    t.push_back(Plain(S::Common, 0xC0, "music.volume", "主音量 音乐", 80));
    t.push_back(Plain(S::Common, 0xC1, "mic.volume", "主音量 话筒", 80));
    t.push_back(Plain(S::Common, 0xC2, "effect.volume", "主音量 效果", 80));
    // Effect panel.
    t.push_back(Plain(S::Group, 0x80, "echo.repeat", "回声次数", 127));
    ParamDef delay = Plain(S::Group, 0x81, "echo.delay", "回声延时", kEchoDelayIndexHighest);
    delay.Unit = ParamUnit::Ms;
    t.push_back(delay);
    t.push_back(Plain(S::Group, 0x83, "echo.volume", "回声音量", 80));
    t.push_back(Plain(S::Group, 0x84, "reverb.volume", "残响音量", 80));
    t.push_back(Plain(S::Group, 0x86, "reverb.delay", "残响延时", 40));
    t.push_back(Plain(S::Group, 0x85, "reverb.time", "残响时间", 60));
    // Volume panel.
    t.push_back(Plain(S::Group, 0x40, "mic12.volume", "话筒音量 话筒1-2", 80));
    t.push_back(Plain(S::Group, 0x53, "mic3.volume", "话筒音量 话筒3", 80));
    t.push_back(Plain(S::Group, 0x0B, "surround.music", "辅助 音乐", 80));
    t.push_back(Plain(S::Group, 0x0C, "surround.mic", "辅助 话筒", 80));
    t.push_back(Plain(S::Group, 0x12, "centre.music", "中置 音乐", 80));
    t.push_back(Plain(S::Group, 0x13, "centre.mic", "中置 话筒", 80));
    t.push_back(Plain(S::Group, 0x19, "bass.before_mic", "低音 开麦前", 80));
    t.push_back(Plain(S::Group, 0x1A, "bass.after_mic", "低音 开麦后", 80));
    t.push_back(Plain(S::Group, 0x22, "rec.music", "录音 音乐", 80));
    t.push_back(Plain(S::Group, 0x23, "rec.mic", "录音 话筒", 80));
    t.push_back(Plain(S::Group, 0x00, "balance.main", "声道平衡 主声道 L—R", 160));
    t.push_back(Plain(S::Group, 0x0A, "balance.aux", "声道平衡 辅声道 SL—SR", 160));
    // The switch pairs send the whole stored record.
    t.push_back(Choice(S::Group, 0x14, "route.centre", "效果进中置", {"on", "off"}, P::WholeRecord));
    t.push_back(Choice(S::Group, 0x0D, "route.surround", "效果进环绕", {"on", "off"}, P::WholeRecord));
    t.push_back(Choice(S::Group, 0x24, "route.rec", "效果进录音", {"on", "off"}, P::WholeRecord));
    t.push_back(Choice(S::Group, 0x1B, "bass.phase", "低音相位", {"0", "180"}, P::WholeRecord));
    // System panel: the power-on limits, power-on group and save mode travel only with a download.
    t.push_back(Plain(S::Common, 0xC5, "limit.music_min", "开机音量限制 音乐最小", 80, P::DownloadOnly));
    t.push_back(Plain(S::Common, 0xC8, "limit.music_max", "开机音量限制 音乐最大", 80, P::DownloadOnly));
    t.push_back(Plain(S::Common, 0xC6, "limit.mic_min", "开机音量限制 话筒最小", 80, P::DownloadOnly));
    t.push_back(Plain(S::Common, 0xC9, "limit.mic_max", "开机音量限制 话筒最大", 80, P::DownloadOnly));
    t.push_back(Plain(S::Common, 0xC7, "limit.effect_min", "开机音量限制 效果最小", 80, P::DownloadOnly));
    t.push_back(Plain(S::Common, 0xCA, "limit.effect_max", "开机音量限制 效果最大", 80, P::DownloadOnly));
    t.push_back(Offset(Plain(S::Common, 0xC3, "system.input", "输入选择", 6), 1));
    t.push_back(Offset(Plain(S::Common, 0xC4, "system.start_group", "开机模式", 7, P::DownloadOnly), 1));
    t.push_back(Choice(S::Common, 0xCB, "system.save_mode", "保存方式", {"auto", "manual"}, P::DownloadOnly));
    t.push_back(Choice(S::Common, 0xCD, "system.work_mode", "工作模式", {"ka", "pa"}, P::Value));
    t.push_back(Choice(S::Common, 0xCF, "system.fbx", "FBX", {"off", "1", "2", "3"}, P::Value));
    t.push_back(Choice(S::Common, 0xCC, "system.lock", "设备锁", {"off", "on"}, P::Value));
    t.push_back(Plain(S::Common, 0xCE, "system.key_shift", "变调 (5 = 原调)", 10));
}

ParamDef EqField(int channel, uint8_t address, const QString& name, const QString& label, int field,
                 EqPointKind kind) {
    ParamDef d;
    d.Name = name;
    d.Label = label;
    d.Scope = ParamScope::Group;
    d.Address = address;
    d.Field = field;
    d.Send = ParamSend::WholeRecord;
    d.Channel = channel;
    d.Kind = kind;
    switch (field) {
    case 0:
        d.Unit = ParamUnit::Hz;
        d.RawMax = kFreqIndexHighest;
        if (kind != EqPointKind::Peak) {
            const FreqIndexRange r =
                kind == EqPointKind::LowCut ? LowCutIndexRange(channel) : HighCutIndexRange(channel);
            d.RawMin = r.Lowest;
            d.RawMax = r.Highest;
        }
        break;
    case 1:
        d.Unit = ParamUnit::Db;
        d.RawMax = kGainIndexHighest;
        break;
    default:
        d.Unit = ParamUnit::Q;
        d.RawMin = kQIndexLowest;
        d.RawMax = kQIndexHighest;
        break;
    }
    return d;
}

void AddChannels(std::vector<ParamDef>& t) {
    static const char* const kFieldNames[3] = {"freq", "gain", "q"};
    static const char* const kFieldLabels[3] = {"频率", "增益", "Q 值"};
    for (int c = 0; c < kChannelCount; ++c) {
        const QString name = QString::fromLatin1(kChannels[c].name);
        const QString label = QString::fromUtf8(kChannels[c].label);
        const ChannelRow& row = ChannelTable()[size_t(c)];

        ParamDef bypass = Choice(ParamScope::Group, BypassAddressTable()[size_t(c)], "", "", {"off", "on"},
                                 ParamSend::Value);
        bypass.Name = name + QStringLiteral(".bypass");
        bypass.Label = label + QStringLiteral(" 旁通");
        bypass.Channel = c;
        t.push_back(bypass);

        const int bands = c == kChannelBass ? kBassBandCount : row.BandCount;
        for (int k = 0; k < bands; ++k) {
            for (int f = 0; f < 3; ++f) {
                t.push_back(EqField(c, uint8_t(row.FirstBand + k),
                                    QStringLiteral("%1.eq%2.%3").arg(name).arg(k + 1).arg(kFieldNames[f]),
                                    QStringLiteral("%1 EQ%2 %3").arg(label).arg(k + 1).arg(
                                        QString::fromUtf8(kFieldLabels[f])),
                                    f, EqPointKind::Peak));
            }
        }
        if (row.HighCut != kNoAddress) {
            t.push_back(EqField(c, row.HighCut, name + QStringLiteral(".highcut"),
                                label + QStringLiteral(" 高切 频率"), 0, EqPointKind::HighCut));
        }
        if (row.LowCut != kNoAddress) {
            t.push_back(EqField(c, row.LowCut, name + QStringLiteral(".lowcut"),
                                label + QStringLiteral(" 低切 频率"), 0, EqPointKind::LowCut));
        }
    }
}

struct Index {
    std::vector<ParamDef> table;
    std::array<int, kAddressCount * 3> byCell{};
};

const Index& TheIndex() {
    static const Index index = [] {
        Index ix;
        AddPanels(ix.table);
        AddChannels(ix.table);
        ix.byCell.fill(-1);
        for (size_t i = 0; i < ix.table.size(); ++i) {
            int& slot = ix.byCell[size_t(ix.table[i].Address) * 3 + size_t(ix.table[i].Field)];
            if (slot != -1) {
                throw std::logic_error("two parameters share one byte");
            }
            slot = int(i);
        }
        return ix;
    }();
    return index;
}

} // namespace

const std::vector<ParamDef>& ParamTable() {
    return TheIndex().table;
}

const ParamDef* FindParamDef(QStringView name) {
    for (const ParamDef& d : ParamTable()) {
        if (d.Name == name) {
            return &d;
        }
    }
    return nullptr;
}

const ParamDef* FindParamAt(uint8_t address, int field) {
    if (field < 0 || field > 2) {
        return nullptr;
    }
    const Index& ix = TheIndex();
    const int i = ix.byCell[size_t(address) * 3 + size_t(field)];
    return i < 0 ? nullptr : &ix.table[size_t(i)];
}

QString QualifiedName(const ParamRef& ref) {
    if (ref.Def->Scope == ParamScope::Common) {
        return ref.Def->Name;
    }
    return QStringLiteral("g%1.%2").arg(ref.Group + 1).arg(ref.Def->Name);
}

QString QualifiedLabel(const ParamRef& ref) {
    if (ref.Def->Scope == ParamScope::Common) {
        return ref.Def->Label;
    }
    return QStringLiteral("MODEL %1 %2").arg(ref.Group + 1).arg(ref.Def->Label);
}

QString HexAddress(int address) {
    return QStringLiteral("0x") + QString::number(address, 16).toUpper().rightJustified(2, u'0');
}

std::optional<ParamRef> ResolveParamName(const QString& name, int defaultGroup, QString* error) {
    // Any number after the g, so that a group outside 1 … 8 is named as such, whatever follows it.
    static const QRegularExpression prefixed(QStringLiteral(R"(^g(\d+)\.(.+)$)"));
    const QRegularExpressionMatch m = prefixed.match(name);
    const int group = m.hasMatch() ? m.captured(1).toInt() - 1 : defaultGroup;
    if (group < 0 || group >= kGroupCount) {
        if (error) {
            *error = QStringLiteral("“%1”：没有参数组 g%2，参数组是 g1 到 g8（MODEL 1 到 MODEL 8）")
                         .arg(name, m.hasMatch() ? m.captured(1) : QString::number(group + 1));
        }
        return std::nullopt;
    }
    const QString bare = m.hasMatch() ? m.captured(2) : name;
    const ParamDef* def = FindParamDef(bare);
    if (!def) {
        if (error) {
            *error = QStringLiteral("没有名为“%1”的参数").arg(name);
        }
        return std::nullopt;
    }
    if (def->Scope == ParamScope::Common) {
        if (m.hasMatch()) {
            if (error) {
                *error = QStringLiteral("“%1”是公共参数，不属于参数组，名称前不能加 g1.…g8.").arg(bare);
            }
            return std::nullopt;
        }
        return ParamRef{def, 0};
    }
    return ParamRef{def, group};
}

} // namespace korva
