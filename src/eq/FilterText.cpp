#include "FilterText.h"

#include "TextInput.h"

#include <QRegularExpression>
#include <array>
#include <cmath>

namespace korva {

namespace {

// A number as these files write it, validated afterwards by ParseDecimal / ParseGroupedDecimal.
const QString kNumber = QStringLiteral(R"(([-+]?[0-9][0-9.,\x{00A0}]*(?:[eE][-+]?[0-9]+)?))");

struct TypeName {
    const char16_t* Name;
    TextFilterType Type;
};

// Case-sensitive, as Equalizer APO reads them.
constexpr std::array<TypeName, 14> kTypeNames{{
    {u"PK", TextFilterType::Peaking},
    {u"PEQ", TextFilterType::Peaking},
    {u"Modal", TextFilterType::Peaking},
    {u"LP", TextFilterType::LowPass},
    {u"LPQ", TextFilterType::LowPass},
    {u"HP", TextFilterType::HighPass},
    {u"HPQ", TextFilterType::HighPass},
    {u"LS", TextFilterType::LowShelf},
    {u"LSC", TextFilterType::LowShelf},
    {u"HS", TextFilterType::HighShelf},
    {u"HSC", TextFilterType::HighShelf},
    {u"NO", TextFilterType::Notch},
    {u"BP", TextFilterType::BandPass},
    {u"AP", TextFilterType::AllPass},
}};

// Equalizer APO commands that do something this EQ cannot take over: reported, then skipped.
constexpr std::array<const char16_t*, 14> kForeignCommands{
    u"GraphicEQ", u"Convolution", u"Delay", u"Copy",  u"Include", u"Device", u"Stage",
    u"If",        u"ElseIf",      u"Else",  u"EndIf", u"Eval",    u"VSTPlugin", u"LoudnessCorrection",
};

constexpr double kNyquistHz = 24000.0;
constexpr double kMaxGainDb = 60.0;
constexpr double kMaxQ = 1000.0;
constexpr double kMaxBandwidthOct = 10.0;
constexpr double kMaxSlopeDb = 48.0;

std::optional<TextFilterType> TypeOf(const QString& name) {
    for (const TypeName& t : kTypeNames) {
        if (name == QStringView(t.Name)) {
            return t.Type;
        }
    }
    return std::nullopt;
}

bool IsShelf(TextFilterType type) {
    return type == TextFilterType::LowShelf || type == TextFilterType::HighShelf;
}

bool HasGain(TextFilterType type) {
    return type == TextFilterType::Peaking || IsShelf(type);
}

QRegularExpression Pattern(const QString& text) {
    return QRegularExpression(text, QRegularExpression::UseUnicodePropertiesOption);
}

// One parameter of a filter line: "Fc 100 Hz", "Gain -3 dB", "Q 1.41", "BW Oct 0.5".
struct Parameter {
    QRegularExpression Keyword; // the parameter is mentioned at all
    QRegularExpression Value;   // ... and written in full
};

// keyword: the name as a word; written: the name, the number, and what follows it.
Parameter MakeParameter(const char* keyword, const char* before, const char* after) {
    return {Pattern(QStringLiteral(R"((?:^|\s)%1(?![A-Za-z]))").arg(QLatin1String(keyword))),
            Pattern(QLatin1String(before) + kNumber + QLatin1String(after))};
}

const Parameter& FrequencyParameter() {
    static const Parameter p = MakeParameter("Fc", R"((?:^|\s)Fc\s*)", R"(\s*Hz(?![A-Za-z]))");
    return p;
}
const Parameter& GainParameter() {
    static const Parameter p = MakeParameter("Gain", R"((?:^|\s)Gain\s*)", R"(\s*dB(?![A-Za-z]))");
    return p;
}
const Parameter& QParameter() {
    static const Parameter p = MakeParameter("Q", R"((?:^|\s)Q\s*)", R"((?=\s|$))");
    return p;
}
const Parameter& BandwidthParameter() {
    static const Parameter p = MakeParameter("BW", R"((?:^|\s)BW\s+Oct\s*)", R"((?=\s|$))");
    return p;
}

// What one parameter of the line says: absent, present with its text, or mentioned but unreadable.
struct Found {
    bool Mentioned = false;
    QString Text; // the number, empty when mentioned but not readable
};

Found Find(const Parameter& p, const QString& params) {
    Found f;
    const QRegularExpressionMatch m = p.Value.match(params);
    if (m.hasMatch()) {
        f.Mentioned = true;
        f.Text = m.captured(1);
    } else {
        f.Mentioned = p.Keyword.match(params).hasMatch();
    }
    return f;
}

class FilterTextReader {
public:
    explicit FilterTextReader(QString fileName) : file_(std::move(fileName)) {}

    std::optional<FilterSet> Read(const QStringList& lines, ReadError* error);

private:
    // Each returns false when the line refuses the file (error_ set).
    bool ReadLine(int line, const QString& text);
    bool ReadFilter(int line, const QString& params);
    bool ReadFilterValues(int line, const QString& typeText, TextFilterType type, const QString& rest);
    bool ReadPreamp(int line, const QString& params);
    void ReadChannel(int line, const QString& params);

    bool Fail(int line, const QString& reason) {
        error_ = {file_, line, reason};
        return false;
    }
    void Warn(int line, const QString& reason) { set_.Warnings.push_back({line, reason}); }

    QString file_;
    FilterSet set_;
    ReadError error_;
    QString chosenChannels_; // the first channel selection other than "all"; its filters are the ones read
    bool active_ = true;     // the lines being read apply to the chosen channels
};

std::optional<FilterSet> FilterTextReader::Read(const QStringList& lines, ReadError* error) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!ReadLine(int(i) + 1, lines[i])) {
            return Refuse<FilterSet>(error, error_.File, error_.Line, error_.Reason);
        }
    }
    if (set_.Filters.empty()) {
        return Refuse<FilterSet>(error, file_, 0, QStringLiteral("文件中没有可用的滤波器"));
    }
    return std::move(set_);
}

bool FilterTextReader::ReadLine(int line, const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'#')) {
        return true;
    }
    const qsizetype colon = trimmed.indexOf(u':');
    if (colon < 0) {
        return true; // REW's header lines ("Filter Settings file", "Room EQ V5.31") and other prose
    }
    const QString command = trimmed.left(colon).trimmed();
    const QString params = trimmed.mid(colon + 1);
    static const QRegularExpression filterCommand(QStringLiteral(R"(^Filter\s*[0-9]*$)"));
    if (filterCommand.match(command).hasMatch()) {
        return !active_ || ReadFilter(line, params);
    }
    if (command == u"Preamp") {
        return !active_ || ReadPreamp(line, params);
    }
    if (command == u"Channel") {
        ReadChannel(line, params);
        return true;
    }
    for (const char16_t* foreign : kForeignCommands) {
        if (command == QStringView(foreign)) {
            Warn(line, QStringLiteral("“%1”不是参数均衡的设置，已跳过").arg(command));
            return true;
        }
    }
    return true; // "Dated:", "Notes:", "Equaliser:" and whatever else is no command
}

void FilterTextReader::ReadChannel(int line, const QString& params) {
    const QString channels = params.simplified();
    if (channels.compare(QStringLiteral("all"), Qt::CaseInsensitive) == 0) {
        active_ = true;
    } else if (chosenChannels_.isEmpty() || chosenChannels_ == channels) {
        chosenChannels_ = channels;
        active_ = true;
    } else {
        active_ = false;
        Warn(line, QStringLiteral("只读取声道 %1 的滤波器，声道 %2 的设置已跳过").arg(chosenChannels_, channels));
    }
}

bool FilterTextReader::ReadPreamp(int line, const QString& params) {
    static const QRegularExpression preamp(QStringLiteral(R"(^\s*)") + kNumber + QStringLiteral(R"(\s*dB\s*$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = preamp.match(params);
    const std::optional<double> db = m.hasMatch() ? ParseDecimal(m.captured(1)) : std::nullopt;
    if (!db || std::fabs(*db) > kMaxGainDb) {
        return Fail(line, QStringLiteral("无法识别的前级增益“%1”").arg(params.trimmed()));
    }
    set_.PreampDb += *db;
    return true;
}

bool FilterTextReader::ReadFilter(int line, const QString& params) {
    static const QRegularExpression head(QStringLiteral(R"(^\s*(ON|OFF)\s+([A-Za-z]+)(.*)$)"));
    const QRegularExpressionMatch m = head.match(params);
    if (!m.hasMatch()) {
        return Fail(line, QStringLiteral("无法识别的滤波器设置（应为 ON 或 OFF，然后是类型）"));
    }
    const QString typeText = m.captured(2);
    if (typeText == u"None") {
        return true; // an empty slot of REW's list
    }
    if (m.captured(1) == u"OFF") {
        Warn(line, QStringLiteral("滤波器已关闭（OFF），已跳过"));
        return true;
    }
    const std::optional<TextFilterType> type = TypeOf(typeText);
    if (!type) {
        Warn(line, QStringLiteral("不支持的滤波器类型“%1”，已跳过").arg(typeText));
        return true;
    }
    return ReadFilterValues(line, typeText, *type, m.captured(3));
}

bool FilterTextReader::ReadFilterValues(int line, const QString& typeText, TextFilterType type,
                                        const QString& rest) {
    const Found fc = Find(FrequencyParameter(), rest);
    const Found gain = Find(GainParameter(), rest);
    const Found q = Find(QParameter(), rest);
    const Found bw = Find(BandwidthParameter(), rest);
    static const QRegularExpression slopePattern(QStringLiteral(R"(^\s*)") + kNumber +
                                                 QStringLiteral(R"(\s*dB(?![A-Za-z]))"));
    const QRegularExpressionMatch slopeMatch = slopePattern.match(rest);

    // The decimal separator the line's other numbers use tells a thousands separator in Fc apart.
    QChar decimalOfLine;
    for (const Found* f : {&gain, &q, &bw}) {
        if (f->Text.contains(u',')) {
            decimalOfLine = u',';
        } else if (f->Text.contains(u'.') && decimalOfLine.isNull()) {
            decimalOfLine = u'.';
        }
    }

    TextFilter filter;
    filter.Type = type;
    filter.TypeText = typeText;
    filter.Line = line;

    if (!fc.Mentioned) {
        return Fail(line, QStringLiteral("缺少频率（Fc）"));
    }
    const std::optional<double> hz = fc.Text.isEmpty() ? std::nullopt : ParseGroupedDecimal(fc.Text, decimalOfLine);
    if (!hz) {
        return Fail(line, QStringLiteral("无法识别的频率"));
    }
    if (!(*hz > 0.0 && *hz < kNyquistHz)) {
        return Fail(line, QStringLiteral("频率 %1 Hz 超出范围（应大于 0 且低于 24000 Hz）").arg(*hz));
    }
    filter.FrequencyHz = *hz;

    if (HasGain(type)) {
        if (!gain.Mentioned) {
            return Fail(line, QStringLiteral("缺少增益（Gain）"));
        }
        const std::optional<double> db = gain.Text.isEmpty() ? std::nullopt : ParseDecimal(gain.Text);
        if (!db) {
            return Fail(line, QStringLiteral("无法识别的增益"));
        }
        if (std::fabs(*db) > kMaxGainDb) {
            return Fail(line, QStringLiteral("增益 %1 dB 超出范围（-60 到 60 dB）").arg(*db));
        }
        filter.GainDb = *db;
    }

    const int widths = int(q.Mentioned) + int(bw.Mentioned) + int(slopeMatch.hasMatch());
    if (widths > 1) {
        return Fail(line, QStringLiteral("Q 值、带宽和斜率只能写一个"));
    }
    if (q.Mentioned) {
        const std::optional<double> value = q.Text.isEmpty() ? std::nullopt : ParseDecimal(q.Text);
        if (!value || !(*value > 0.0 && *value <= kMaxQ)) {
            return Fail(line, QStringLiteral("无法识别的 Q 值（应大于 0 且不超过 1000）"));
        }
        filter.WidthKind = FilterWidthKind::Q;
        filter.Width = *value;
    } else if (bw.Mentioned) {
        if (IsShelf(type)) {
            return Fail(line, QStringLiteral("搁架滤波器不能用带宽（BW Oct）"));
        }
        const std::optional<double> value = bw.Text.isEmpty() ? std::nullopt : ParseDecimal(bw.Text);
        if (!value || !(*value > 0.0 && *value <= kMaxBandwidthOct)) {
            return Fail(line, QStringLiteral("无法识别的带宽（应大于 0 且不超过 10 倍频程）"));
        }
        filter.WidthKind = FilterWidthKind::BandwidthOct;
        filter.Width = *value;
    } else if (slopeMatch.hasMatch()) {
        if (!IsShelf(type)) {
            return Fail(line, QStringLiteral("只有搁架滤波器可以写斜率"));
        }
        const std::optional<double> value = ParseDecimal(slopeMatch.captured(1));
        if (!value || !(*value > 0.0 && *value <= kMaxSlopeDb)) {
            return Fail(line, QStringLiteral("无法识别的斜率（应大于 0 且不超过 48 dB）"));
        }
        // The cookbook's shelf exists only while (A + 1/A)(1/S - 1) + 2 >= 0.
        const double a = std::pow(10.0, filter.GainDb / 40.0);
        if ((a + 1.0 / a) * (12.0 / *value - 1.0) + 2.0 < 0.0) {
            return Fail(line, QStringLiteral("斜率 %1 dB 对增益 %2 dB 太陡").arg(*value).arg(filter.GainDb));
        }
        filter.WidthKind = FilterWidthKind::SlopeDb;
        filter.Width = *value;
    } else if (type == TextFilterType::Peaking || type == TextFilterType::AllPass) {
        return Fail(line, QStringLiteral("缺少 Q 值或带宽"));
    }
    filter.CornerFrequency = IsShelf(type) && filter.WidthKind != FilterWidthKind::Default && !typeText.endsWith(u'C');
    set_.Filters.push_back(filter);
    return true;
}

} // namespace

std::optional<FilterSet> ReadFilterText(const QByteArray& text, const QString& fileName, ReadError* error) {
    const std::optional<QStringList> lines = TextLinesOf(text, fileName, error);
    if (!lines) {
        return std::nullopt;
    }
    return FilterTextReader(fileName).Read(*lines, error);
}

std::optional<FilterSet> ReadFilterFile(const QString& path, ReadError* error) {
    const std::optional<QByteArray> bytes = ReadUserFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    return ReadFilterText(*bytes, FileNameForMessages(path), error);
}

} // namespace korva
