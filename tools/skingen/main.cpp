// skingen: draws the skin images of korva-tuner and checks them against the main window's design data.
//
//   skingen OUTDIR [--design FILE] [--catalogue FILE] [--preview FILE [--panel N] [--full-grid]]
//       writes every image as OUTDIR/NNN.png, optionally the catalogue and a preview of the window
//   skingen --scale N [--pixels] OUTDIR
//       writes every image drawn at N image pixels per design pixel as OUTDIR/NNN@Nx.png (the sets for
//       high-resolution displays), or with --pixels as OUTDIR/NNN@Nx.argb, the form the program embeds
//   skingen --check [--scale N] SKINDIR WORKDIR [--design FILE]
//       draws the skin into WORKDIR and fails when SKINDIR differs from it in numbers or sizes, or when the
//       design data names an image that does not exist or does not fit

#include "Generators.h"
#include "Preview.h"
#include "SkinChecks.h"

#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace korva::skingen {

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "skingen: %s\n", qPrintable(message));
    return 1;
}

int Report(QStringList problems) {
    problems.removeDuplicates();
    for (const QString& p : problems) {
        std::fprintf(stderr, "skingen: %s\n", qPrintable(p));
    }
    return problems.isEmpty() ? 0 : 1;
}

QStringList CompareWithDirectory(const SkinSet& skin, const QString& dir) {
    QStringList problems;
    const QMap<int, QSize> committed = ReadSkinDirectory(dir, skin.Scale());
    const QMap<int, QSize> drawn = SizesOf(skin);
    const auto file = [&](int number) { return QStringLiteral("%1/%2").arg(dir, skin.FileName(number)); };
    for (auto it = drawn.cbegin(); it != drawn.cend(); ++it) {
        if (!committed.contains(it.key())) {
            problems << QStringLiteral("%1 is missing: run skingen %2").arg(file(it.key()), dir);
        } else if (committed[it.key()] != it.value()) {
            problems << QStringLiteral("%1 has another size than skingen draws").arg(file(it.key()));
        }
    }
    for (auto it = committed.cbegin(); it != committed.cend(); ++it) {
        if (!drawn.contains(it.key())) {
            problems << QStringLiteral("%1 is not drawn by skingen any more").arg(file(it.key()));
        }
    }
    return problems;
}

int Run(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("dirs"),
                                 QStringLiteral("OUTDIR, or SKINDIR WORKDIR with --check"));
    const QCommandLineOption designOption(QStringLiteral("design"), QStringLiteral("design data"),
                                          QStringLiteral("file"), QStringLiteral(KORVA_DEFAULT_DESIGN));
    const QCommandLineOption catalogueOption(QStringLiteral("catalogue"),
                                             QStringLiteral("write the catalogue"), QStringLiteral("file"));
    const QCommandLineOption previewOption(QStringLiteral("preview"), QStringLiteral("write a preview"),
                                           QStringLiteral("file"));
    const QCommandLineOption panelOption(QStringLiteral("panel"), QStringLiteral("preview a parameter panel"),
                                         QStringLiteral("n"));
    const QCommandLineOption fullGridOption(QStringLiteral("full-grid"),
                                            QStringLiteral("preview all EQ points"));
    const QCommandLineOption bypassOption(QStringLiteral("bypass"),
                                          QStringLiteral("preview the bypass badge"));
    const QCommandLineOption checkOption(QStringLiteral("check"), QStringLiteral("check a skin directory"));
    const QCommandLineOption scaleOption(QStringLiteral("scale"),
                                         QStringLiteral("image pixels per design pixel (1-4)"),
                                         QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption pixelsOption(QStringLiteral("pixels"),
                                          QStringLiteral("write the pixels (NNN@Nx.argb) instead of PNG"));
    parser.addOptions({designOption, catalogueOption, previewOption, panelOption, fullGridOption,
                       bypassOption, checkOption, scaleOption, pixelsOption});
    parser.addHelpOption();
    parser.process(arguments);
    const QStringList dirs = parser.positionalArguments();
    const bool check = parser.isSet(checkOption);
    if (dirs.size() != (check ? 2 : 1)) {
        parser.showHelp(2);
    }
    bool scaleOk = false;
    const int scale = parser.value(scaleOption).toInt(&scaleOk);
    if (!scaleOk || scale < 1 || scale > 4) {
        return Fail(QStringLiteral("--scale takes a whole number from 1 to 4"));
    }
    if (scale != 1 && (parser.isSet(catalogueOption) || parser.isSet(previewOption))) {
        return Fail(QStringLiteral("the catalogue and the preview are drawn at scale 1 only"));
    }

    QString error;
    const std::optional<DesignForm> read = ReadDesignFile(parser.value(designOption), &error);
    if (!read) {
        return Fail(error);
    }
    const DesignForm& design = *read;
    const SkinSet skin = GenerateSkin(design, scale);
    const QString outDir = dirs.last();
    const SkinFileKind kind = parser.isSet(pixelsOption) && !check ? SkinFileKind::Pixels : SkinFileKind::Png;
    if (!skin.Write(outDir, kind, &error)) {
        return Fail(error);
    }
    QStringList problems =
        CheckDesignControls(design) + CheckDesignAgainstSkin(design, SizesOf(skin)) + CheckBeds(design, skin);
    if (check) {
        problems += CompareWithDirectory(skin, dirs.first());
        problems += CheckDesignAgainstSkin(design, ReadSkinDirectory(dirs.first(), scale));
        return Report(problems);
    }
    if (parser.isSet(catalogueOption)) {
        QFile file(parser.value(catalogueOption));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(skin.CatalogueMarkdown(ProgramImageNumbers()).toUtf8()) < 0) {
            return Fail(QStringLiteral("cannot write %1").arg(file.fileName()));
        }
    }
    if (parser.isSet(previewOption)) {
        PreviewOptions options;
        options.panel = parser.isSet(panelOption) ? parser.value(panelOption).toInt() : -1;
        options.fullGrid = parser.isSet(fullGridOption);
        options.bypass = parser.isSet(bypassOption);
        if (!RenderPreview(design, skin, options).save(parser.value(previewOption))) {
            return Fail(QStringLiteral("cannot write %1").arg(parser.value(previewOption)));
        }
    }
    return Report(problems);
}

} // namespace

} // namespace korva::skingen

int main(int argc, char** argv) {
    // Drawing text needs a GUI application, never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        return korva::skingen::Run(QGuiApplication::arguments());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skingen: %s\n", e.what());
        return 1;
    }
}
