#include "MeasurementText.h"

#include "TextInput.h"

#include <QRegularExpression>
#include <cmath>

namespace korva {

namespace {

// The fields of one line. Semicolons separate where a decimal comma may appear; otherwise commas separate
// when every field between them is a single word ("20,72.5", "20, 72.5"); otherwise spaces and tabs do,
// and a comma inside a field is a decimal comma ("20,5\t72,3").
QStringList FieldsOf(const QString& line) {
    if (line.contains(u';')) {
        QStringList fields = line.split(u';');
        for (QString& f : fields) {
            f = f.trimmed();
        }
        return fields;
    }
    static const QRegularExpression blanks(QStringLiteral(R"(\s+)"));
    if (line.contains(u',')) {
        QStringList fields = line.split(u',');
        bool words = true;
        for (QString& f : fields) {
            f = f.trimmed();
            words = words && !f.contains(blanks);
        }
        if (words) {
            return fields;
        }
    }
    return line.trimmed().split(blanks);
}

bool IsComment(const QString& trimmed) {
    return trimmed.isEmpty() || trimmed.startsWith(u'*') || trimmed.startsWith(u'#');
}

class MeasurementReader {
public:
    explicit MeasurementReader(QString fileName) : file_(std::move(fileName)) {}

    std::optional<MeasurementData> Read(const QStringList& lines, ReadError* error);

private:
    bool ReadHeader(int line, const QStringList& fields);
    bool ReadPoint(int line, const QStringList& fields);
    bool Fail(int line, const QString& reason) {
        error_ = {file_, line, reason};
        return false;
    }

    QString file_;
    MeasurementData data_;
    ReadError error_;
    bool headerSeen_ = false;
    qsizetype frequencyColumn_ = 0;
    qsizetype valueColumn_ = 1;
};

std::optional<MeasurementData> MeasurementReader::Read(const QStringList& lines, ReadError* error) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines[i].trimmed();
        if (IsComment(trimmed)) {
            continue;
        }
        const QStringList fields = FieldsOf(trimmed);
        const bool numeric = std::all_of(fields.begin(), fields.end(),
                                         [](const QString& f) { return ParseDecimal(f).has_value(); });
        const int line = int(i) + 1;
        const bool ok = !numeric && data_.Curve.Empty() && !headerSeen_ ? ReadHeader(line, fields)
                                                                         : ReadPoint(line, fields);
        if (!ok) {
            return Refuse<MeasurementData>(error, error_.File, error_.Line, error_.Reason);
        }
    }
    if (data_.Curve.FrequencyHz.size() < 2) {
        return Refuse<MeasurementData>(error, file_, 0, QStringLiteral("数据点太少（至少需要 2 个）"));
    }
    return std::move(data_);
}

bool MeasurementReader::ReadHeader(int line, const QStringList& fields) {
    headerSeen_ = true;
    if (fields.size() < 2) {
        return Fail(line, QStringLiteral("表头至少需要两列"));
    }
    const auto columnOf = [&fields](std::initializer_list<const char*> names) -> qsizetype {
        for (qsizetype c = 0; c < fields.size(); ++c) {
            for (const char* name : names) {
                if (fields[c].compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
                    return c;
                }
            }
        }
        return -1;
    };
    const qsizetype frequency = columnOf({"frequency", "freq", "freq(hz)", "frequency(hz)", "hz"});
    const qsizetype raw = columnOf({"raw", "spl", "spl(db)", "db", "magnitude"});
    if (frequency >= 0 && raw >= 0 && frequency != raw) {
        frequencyColumn_ = frequency;
        valueColumn_ = raw;
    }
    return true;
}

bool MeasurementReader::ReadPoint(int line, const QStringList& fields) {
    const qsizetype needed = std::max(frequencyColumn_, valueColumn_) + 1;
    if (fields.size() < needed) {
        return Fail(line, QStringLiteral("数据行至少需要 %1 列").arg(needed));
    }
    const std::optional<double> hz = ParseDecimal(fields[frequencyColumn_]);
    const std::optional<double> db = ParseDecimal(fields[valueColumn_]);
    if (!hz || !db) {
        return Fail(line, QStringLiteral("不是数字：“%1”").arg(fields.join(u' ')));
    }
    if (!(*hz > 0.0)) {
        return Fail(line, QStringLiteral("频率必须大于 0"));
    }
    FrequencyCurve& curve = data_.Curve;
    if (!curve.FrequencyHz.empty() && !(*hz > curve.FrequencyHz.back())) {
        return Fail(line, QStringLiteral("频率必须逐行递增（%1 Hz 不大于上一行的 %2 Hz）")
                              .arg(*hz)
                              .arg(curve.FrequencyHz.back()));
    }
    curve.FrequencyHz.push_back(*hz);
    curve.Db.push_back(*db);
    return true;
}

} // namespace

std::optional<MeasurementData> ReadMeasurementText(const QByteArray& text, const QString& fileName,
                                                   ReadError* error) {
    const std::optional<QStringList> lines = TextLinesOf(text, fileName, error);
    if (!lines) {
        return std::nullopt;
    }
    return MeasurementReader(fileName).Read(*lines, error);
}

std::optional<MeasurementData> ReadMeasurementFile(const QString& path, ReadError* error) {
    const std::optional<QByteArray> bytes = ReadUserFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    return ReadMeasurementText(*bytes, FileNameForMessages(path), error);
}

} // namespace korva
