#include "FilterExport.h"

#include "BiquadSection.h"
#include "FrequencyCurve.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace korva {

namespace {

constexpr int kPreampPoints = 1000;

// The channel's highest level over the audible range, for the preamp that keeps APO from clipping.
double HighestLevelDb(const ChannelEq& eq) {
    const std::vector<double> db = ChannelResponseDb(eq, LogSpacedFrequencies(20.0, 20000.0, kPreampPoints));
    return *std::max_element(db.begin(), db.end());
}

struct ExportFilter {
    QString ApoType;
    QString RewType;
    int Hz = 0;
    std::optional<double> GainDb;
    double Q = 0.0;
};

std::vector<ExportFilter> FiltersOf(const ChannelEq& eq) {
    std::vector<ExportFilter> filters;
    for (const BandRecord& b : eq.Bands) {
        filters.push_back({QStringLiteral("PK"), QStringLiteral("PK"), int(FreqIndexToHz(b.FreqIndex)),
                           double(GainIndexToDb(b.GainIndex)), double(QIndexToQ(b.QIndex))});
    }
    if (eq.HighCutIndex) {
        filters.push_back({QStringLiteral("LP"), QStringLiteral("LPQ"), int(FreqIndexToHz(*eq.HighCutIndex)),
                           std::nullopt, kCutFilterQ});
    }
    if (eq.LowCutIndex) {
        filters.push_back({QStringLiteral("HP"), QStringLiteral("HPQ"), int(FreqIndexToHz(*eq.LowCutIndex)),
                           std::nullopt, kCutFilterQ});
    }
    return filters;
}

QString ApoText(const ChannelEq& eq, const QString& note) {
    QStringList lines;
    if (!note.isEmpty()) {
        lines << QStringLiteral("# %1").arg(note);
    }
    const double highest = HighestLevelDb(eq);
    if (highest > 0.05) {
        lines << QStringLiteral("Preamp: %1 dB").arg(-std::ceil(highest * 10.0) / 10.0, 0, 'f', 1);
    }
    int number = 1;
    for (const ExportFilter& f : FiltersOf(eq)) {
        QString line = QStringLiteral("Filter %1: ON %2 Fc %3 Hz").arg(number++).arg(f.ApoType).arg(f.Hz);
        if (f.GainDb) {
            line += QStringLiteral(" Gain %1 dB").arg(*f.GainDb, 0, 'f', 1);
        }
        lines << line + QStringLiteral(" Q %1").arg(f.Q, 0, 'f', 3);
    }
    return lines.join(u'\n') + u'\n';
}

QString RewText(const ChannelEq& eq, const QString& note) {
    QStringList lines{QStringLiteral("Filter Settings file"), QString(), QStringLiteral("Notes:%1").arg(note),
                      QString(), QStringLiteral("Equaliser: Generic")};
    int number = 1;
    for (const ExportFilter& f : FiltersOf(eq)) {
        const QString gain = f.GainDb ? QStringLiteral("Gain %1 dB").arg(*f.GainDb, 6, 'f', 1) : QString(14, u' ');
        lines << QStringLiteral("Filter %1: ON  %2 Fc %3 Hz  %4  Q %5")
                     .arg(number++, 2)
                     .arg(f.RewType, -8)
                     .arg(f.Hz, 6)
                     .arg(gain)
                     .arg(f.Q, 6, 'f', 3);
    }
    return lines.join(u'\n') + u'\n';
}

} // namespace

QString ExportFilterText(const ChannelEq& eq, FilterTextFormat format, const QString& note) {
    return format == FilterTextFormat::Apo ? ApoText(eq, note) : RewText(eq, note);
}

} // namespace korva
