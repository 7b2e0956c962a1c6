// Skin decoding at start-up and the redraw of a single skinned control.
#include "BenchRegistry.h"

#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"
#include "widgets/SkinImages.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace korva;

namespace {

int EmbeddedSkinCount() {
    int count = 0;
    for (int n = SkinImages::kFirstNumber; n <= SkinImages::kLastNumber; ++n) {
        count += QFile::exists(QStringLiteral("%1/%2.png").arg(SkinImages::DefaultFolder()).arg(n)) ? 1 : 0;
    }
    return count;
}

// A picture drawn like skin art: a gradient body with a rounded frame and a highlight, stored with alpha.
QImage SkinLikeImage(QSize size, int seed) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 0, 0, size.height());
    body.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 120, 200));
    body.setColorAt(1, QColor::fromHsv(seed * 37 % 360, 200, 60));
    painter.setBrush(body);
    painter.setPen(QPen(QColor(20, 20, 20), 2));
    painter.drawRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 6, 6);
    painter.setPen(QColor(255, 255, 255, 90));
    painter.drawLine(4, 3, size.width() - 5, 3);
    return image;
}

// Sizes in the proportions of the program's skin: one window background, panel and graph backgrounds,
// slider tracks, many button states, digits and small thumbs and markers - 300 pictures in all.
std::vector<QSize> RealisticSkinSizes() {
    std::vector<QSize> sizes;
    const auto add = [&](int count, QSize size) { sizes.insert(sizes.end(), count, size); };
    add(1, QSize(1582, 900));
    add(4, QSize(1500, 330));
    add(1, QSize(1100, 420));
    add(20, QSize(312, 40));
    add(30, QSize(48, 300));
    add(150, QSize(80, 40));
    add(30, QSize(14, 22));
    add(64, QSize(30, 26));
    return sizes;
}

// Figures with the real skin when it is compiled in, else with a synthetic one of realistic sizes.
struct BenchSkin {
    QTemporaryDir dir;
    QString folder = SkinImages::DefaultFolder();
    bool synthetic = false;

    BenchSkin() {
        if (EmbeddedSkinCount() > 0) {
            return;
        }
        synthetic = true;
        folder = dir.path();
        const std::vector<QSize> sizes = RealisticSkinSizes();
        for (size_t i = 0; i < sizes.size(); ++i) {
            SkinLikeImage(sizes[i], int(i)).save(QStringLiteral("%1/%2.png").arg(folder).arg(101 + i), "PNG");
        }
        std::fprintf(stderr, "bench_widgets: no skin compiled in, using %zu synthetic pictures\n",
                     sizes.size());
    }
};

// Every skin number the redraw figure uses, at the size it has in the skin.
void InstallRedrawImages(SkinImages& skin) {
    struct Entry {
        int number;
        QSize size;
    };
    const Entry entries[] = {
        {101, QSize(80, 40)},  {110, QSize(20, 10)},  {111, QSize(20, 10)}, {300, QSize(1500, 330)},
        {246, QSize(312, 40)}, {324, QSize(312, 40)}, {175, QSize(20, 26)}, {220, QSize(48, 304)},
        {322, QSize(48, 304)}, {260, QSize(60, 30)},  {295, QSize(4, 20)},  {296, QSize(12, 20)},
    };
    for (const Entry& e : entries) {
        skin.SetImage(e.number, SkinLikeImage(e.size, e.number));
    }
    for (int d = 0; d < 10; ++d) {
        skin.SetImage(223 + d, SkinLikeImage(QSize(12, 20), d));
    }
}

double RedrawMicros(QWidget& widget) {
    QImage target(widget.size(), QImage::Format_ARGB32_Premultiplied);
    widget.render(&target, QPoint(), QRegion(), QWidget::DrawChildren); // warm-up: polish, fonts
    return bench::MedianMicros(301,
                               [&] { widget.render(&target, QPoint(), QRegion(), QWidget::DrawChildren); });
}

} // namespace

KORVA_BENCH(skin_decode_ms) {
    BenchSkin source;
    std::vector<double> times;
    for (int run = 0; run < 9; ++run) {
        times.push_back(bench::MedianMicros(1,
                                            [&] {
                                                SkinImages skin;
                                                skin.LoadSkinImages(source.folder);
                                            }) /
                        1000.0);
    }
    r.Figure("skin_decode_ms", bench::Median(times), "ms");
}

KORVA_BENCH(widget_redraw_us) {
    SkinImages skin;
    InstallRedrawImages(skin);
    QWidget host; // children get ordinary sizes, never the top-level default

    SimpControl button(skin, &host);
    button.SetPics(QStringLiteral("101,110"));
    button.SetPosX(QStringLiteral("0,10"));
    button.SetPosY(QStringLiteral("0,4"));
    button.SetValueIndex(1);

    SimpControl panel(skin, &host);
    panel.SetPics(QStringLiteral("300"));

    ShowNumber display(skin, &host);
    display.SetBackPic(260);
    display.SetDiv10(true);
    display.SetValue(-125);

    ScrollBar knob(skin, &host);
    knob.SetBackPic(246);
    knob.SetChangeMinMax(true);
    knob.SetMaxValue(150);

    ScrollBar fader(skin, &host);
    fader.SetBackPic(220);
    fader.SetDisplayType(1);
    fader.SetMinPos(24);
    fader.SetMaxPos(280);
    fader.SetStableOtherPos(4);
    fader.SetMaxValue(80);

    C_ProgressBar progress(&host);
    progress.resize(300, C_ProgressBar::kMaxHeight);
    progress.SetMaxValue(25);
    progress.SetValue(12);

    struct Kind {
        const char* name;
        QWidget* widget;
    };
    double slowest = 0;
    for (const Kind& kind : {Kind{"button", &button}, Kind{"panel", &panel}, Kind{"digits", &display},
                             Kind{"knob", &knob}, Kind{"fader", &fader}, Kind{"progress", &progress}}) {
        const double us = RedrawMicros(*kind.widget);
        if (qEnvironmentVariableIsSet("KORVA_BENCH_DETAIL")) {
            std::fprintf(stderr, "  %s %dx%d: %.1f us\n", kind.name, kind.widget->width(),
                         kind.widget->height(), us);
        }
        slowest = std::max(slowest, us);
    }
    r.Figure("widget_redraw_us", slowest, "us");
}
