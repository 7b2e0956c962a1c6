// shot-compare ONE_X.png TWO_X.png [--max-mad N] [--min-energy-ratio R]
//              [--crop X,Y,W,H --side-by-side OUT.png]
//
// Compares a window shot at 2x (window-shot --scale 2) with the same shot at 1x, in grey levels:
//   mad                  the 2x shot reduced to 1x by 2 x 2 box averages against the 1x shot: the mean
//                        absolute difference (does the 2x window show the same thing?)
//   block_energy_ratio   the energy inside aligned 2 x 2 blocks (each pixel's squared deviation from its
//                        block's mean) of the 2x shot over that of the 1x shot magnified smoothly (does it
//                        carry detail of its own, or is it magnified?)
// and prints both as "NAME VALUE". With the limits it exits 1 when one is missed; with --side-by-side it
// writes the crop (1x pixels) of the 1x shot magnified next to the same crop of the 2x shot.
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>

namespace {

// Grey level of every pixel, transparent corners as black.
std::vector<double> Grey(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<double> grey(size_t(argb.width()) * size_t(argb.height()));
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            grey[size_t(y) * size_t(argb.width()) + size_t(x)] = qGray(line[x]);
        }
    }
    return grey;
}

double MeanAbsoluteDifferenceAfterBoxAverage(const QImage& oneX, const QImage& twoX) {
    const std::vector<double> small = Grey(oneX);
    const std::vector<double> large = Grey(twoX);
    const int w = oneX.width();
    const int h = oneX.height();
    const size_t stride = size_t(twoX.width());
    double sum = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(2 * y) * stride + size_t(2 * x);
            const double average = (large[i] + large[i + 1] + large[i + stride] + large[i + stride + 1]) / 4;
            sum += std::abs(average - small[size_t(y) * size_t(w) + size_t(x)]);
        }
    }
    return sum / (double(w) * h);
}

double BlockEnergy(const QImage& image) {
    const std::vector<double> grey = Grey(image);
    const size_t stride = size_t(image.width());
    double energy = 0;
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const size_t i = size_t(y) * stride + size_t(x);
            const double p[4] = {grey[i], grey[i + 1], grey[i + stride], grey[i + stride + 1]};
            const double mean = (p[0] + p[1] + p[2] + p[3]) / 4;
            for (double v : p) {
                energy += (v - mean) * (v - mean);
            }
        }
    }
    return energy;
}

QImage Magnified(const QImage& oneX) {
    return oneX.scaled(oneX.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage SideBySide(const QImage& oneX, const QImage& twoX, const QRect& crop) {
    const QImage left = Magnified(oneX.copy(crop));
    const QImage right = twoX.copy(QRect(crop.topLeft() * 2, crop.size() * 2));
    constexpr int gap = 8;
    QImage out(left.width() + gap + right.width(), left.height(), QImage::Format_ARGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, left);
    painter.drawImage(left.width() + gap, 0, right);
    return out;
}

int Fail(const char* message) {
    std::fprintf(stderr, "shot-compare: %s\n", message);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument("one-x", "The shot at 1x.");
    parser.addPositionalArgument("two-x", "The same shot at 2x.");
    parser.addOption({"max-mad", "Exit 1 when the mean absolute difference is above this.", "grey levels"});
    parser.addOption({"min-energy-ratio", "Exit 1 when the block energy ratio is below this.", "ratio"});
    parser.addOption({"crop", "Crop of --side-by-side in 1x pixels.", "x,y,w,h"});
    parser.addOption({"side-by-side", "Write the crop magnified from 1x next to the 2x one.", "file"});
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        parser.showHelp(2);
    }
    const QImage oneX(files[0]);
    const QImage twoX(files[1]);
    if (oneX.isNull() || twoX.isNull()) {
        return Fail("cannot read both shots");
    }
    if (twoX.size() != oneX.size() * 2) {
        std::fprintf(stderr, "shot-compare: the 2x shot is %dx%d, not twice %dx%d\n", twoX.width(),
                     twoX.height(), oneX.width(), oneX.height());
        return 1;
    }
    const double mad = MeanAbsoluteDifferenceAfterBoxAverage(oneX, twoX);
    const double magnifiedEnergy = BlockEnergy(Magnified(oneX));
    const double ratio = magnifiedEnergy > 0 ? BlockEnergy(twoX) / magnifiedEnergy : 0;
    std::printf("mad %.3f\nblock_energy_ratio %.3f\n", mad, ratio);

    if (parser.isSet("side-by-side")) {
        const QStringList c = parser.value("crop").split(',');
        const QRect crop =
            c.size() == 4 ? QRect(c[0].toInt(), c[1].toInt(), c[2].toInt(), c[3].toInt()) : oneX.rect();
        if (!crop.isValid() || !oneX.rect().contains(crop)) {
            return Fail("--crop lies outside the shot");
        }
        if (!SideBySide(oneX, twoX, crop).save(parser.value("side-by-side"))) {
            return Fail("cannot write the side-by-side picture");
        }
    }
    bool ok = true;
    if (parser.isSet("max-mad") && mad > parser.value("max-mad").toDouble()) {
        ok = false;
    }
    if (parser.isSet("min-energy-ratio") && ratio < parser.value("min-energy-ratio").toDouble()) {
        ok = false;
    }
    return ok ? 0 : 1;
}
