#include "widgets/SkinImages.h"

#include "widgets/Nearest.h"
#include "widgets/SkinFont.h"
#include "widgets/SkinPixelFile.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QResource>
#include <QStringList>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>

namespace korva {

namespace {

// Drawing premultiplied pixels skips a conversion on every blend; images without alpha stay as they are.
QImage ForDrawing(QImage image) {
    if (image.hasAlphaChannel() && image.format() != QImage::Format_ARGB32_Premultiplied) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return image;
}

// The bytes of a file of the skin folder; a compressed resource is unpacked straight into them.
QByteArray ReadSkinFile(const QString& path) {
    if (path.startsWith(QLatin1Char(':'))) {
        const QResource resource(path);
        return resource.isValid() ? resource.uncompressedData() : QByteArray();
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One value of "x,y"; like the rest of the program's list texts, an unreadable item counts as 0.
double PositionItem(const QStringList& items, int index) {
    if (index >= items.size()) {
        return 0;
    }
    bool ok = false;
    const double value = items[index].trimmed().toDouble(&ok);
    return ok ? value : 0;
}

} // namespace

bool SkinImages::LoadSkinImages(const QString& folder, double devicePixelRatio) {
    if (loaded_) {
        return libraryWorks_;
    }
    loaded_ = true;
    folder_ = folder;
    if (!QImageReader::supportedImageFormats().contains("png")) {
        libraryWorks_ = false;
        lastError_ = QStringLiteral("图像库不支持 PNG 格式，无法显示界面。");
        return false;
    }
    if (SetFor(devicePixelRatio) != 1) {
        // The display draws from the finer set: the 1x pictures are only measured here (their sizes are
        // the logical ones) and decoded if they are ever drawn.
        for (int i = 0; i < kSlotCount; ++i) {
            sizes_[size_t(i)] = QImageReader(OneXPath(kFirstNumber + i)).size().expandedTo(QSize(0, 0));
        }
        StartUnpacking();
        return true;
    }
    // PNG decoding dominates start-up, so the slots are shared out among the cores; each thread writes
    // only its own slots and all have finished before this function returns.
    std::vector<char> broken(kSlotCount, 0);
    const auto decodeSlots = [&](int first, int step) {
        for (int i = first; i < kSlotCount; i += step) {
            QFile file(OneXPath(kFirstNumber + i));
            if (!file.exists()) {
                continue; // not every number has a picture
            }
            QImage image;
            if (!file.open(QIODevice::ReadOnly) || !image.loadFromData(file.readAll(), "PNG") ||
                image.isNull()) {
                broken[i] = 1;
                continue;
            }
            images_[i] = ForDrawing(std::move(image));
        }
    };
    const int workers = std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
    {
        std::vector<std::jthread> helpers;
        for (int w = 1; w < workers; ++w) {
            try {
                helpers.emplace_back(decodeSlots, w, workers);
            } catch (const std::system_error&) {
                decodeSlots(w, workers); // no thread to spare: this share is decoded here
            }
        }
        decodeSlots(0, workers);
    }
    for (int i = 0; i < kSlotCount; ++i) {
        sizes_[size_t(i)] = images_[size_t(i)].size().expandedTo(QSize(0, 0));
        oneXTried_[size_t(i)] = true;
        if (broken[i]) {
            undecodable_.push_back(kFirstNumber + i);
        }
    }
    if (!undecodable_.empty()) {
        QStringList numbers;
        for (int number : undecodable_) {
            numbers << QString::number(number);
        }
        lastError_ = QStringLiteral("皮肤图片 %1 无法解码，这些图片将不显示。")
                         .arg(numbers.join(QStringLiteral(", ")));
    }
    return true;
}

SkinImages::SkinImages(SkinImages&& other) noexcept {
    *this = std::move(other);
}

SkinImages& SkinImages::operator=(SkinImages&& other) noexcept {
    if (this != &other) {
        StopUnpacking();
        other.StopUnpacking();
        sizes_ = other.sizes_;
        images_ = std::move(other.images_);
        oneXTried_ = other.oneXTried_;
        fineImages_ = std::move(other.fineImages_);
        for (size_t i = 0; i < fineState_.size(); ++i) {
            fineState_[i].store(other.fineState_[i].load());
        }
        folder_ = std::move(other.folder_);
        loaded_ = other.loaded_;
        libraryWorks_ = other.libraryWorks_;
        undecodable_ = std::move(other.undecodable_);
        lastError_ = std::move(other.lastError_);
    }
    return *this;
}

QString SkinImages::OneXPath(int number) const {
    return QStringLiteral("%1/%2.png").arg(folder_).arg(number);
}

int SkinImages::LoadedCount() const {
    return int(std::count_if(sizes_.begin(), sizes_.end(), [](QSize size) { return !size.isEmpty(); }));
}

void SkinImages::SetImage(int number, const QImage& image) {
    if (number < kFirstNumber || number > kLastNumber) {
        return;
    }
    StopUnpacking();
    const size_t i = size_t(number - kFirstNumber);
    if (image.devicePixelRatio() == kFinestScale) {
        fineImages_[i] = ForDrawing(image);
        fineState_[i].store(kFineDone);
    } else {
        images_[i] = ForDrawing(image);
        sizes_[i] = image.size().expandedTo(QSize(0, 0));
        oneXTried_[i] = true;
    }
}

double SkinImages::DeviceScale(const QPainter& painter) {
    // The device transform holds the surface's pixel ratio as well as any scaling of the painter.
    const QTransform t = painter.deviceTransform();
    const double scale = std::hypot(t.m11(), t.m12());
    return scale > 0 ? scale : 1.0;
}

std::optional<size_t> SkinImages::Index(int number) const {
    if (number < kFirstNumber || number > kLastNumber || sizes_[size_t(number - kFirstNumber)].isEmpty()) {
        return std::nullopt;
    }
    return size_t(number - kFirstNumber);
}

const QImage* SkinImages::OneXSlot(size_t i) const {
    if (!oneXTried_[i]) {
        oneXTried_[i] = true;
        QImage image;
        if (image.load(OneXPath(kFirstNumber + int(i)), "PNG") && image.size() == sizes_[i]) {
            images_[i] = ForDrawing(std::move(image));
        }
    }
    return images_[i].isNull() ? nullptr : &images_[i];
}

bool SkinImages::ClaimAndUnpackFine(size_t i) const {
    int state = kFineNotStarted;
    if (!fineState_[i].compare_exchange_strong(state, kFineUnpacking)) {
        return false;
    }
    QImage image;
    if (!folder_.isEmpty()) {
        image = skinfile::Decode(ReadSkinFile(
            QStringLiteral("%1/%2@%3x.argb").arg(folder_).arg(kFirstNumber + int(i)).arg(kFinestScale)));
    }
    // A picture that is not there or does not fit its 1x picture (a stale set) is left out: the 1x picture
    // is shown instead.
    if (!image.isNull() && image.size() == sizes_[i] * kFinestScale) {
        image.setDevicePixelRatio(kFinestScale);
        fineImages_[i] = std::move(image);
    }
    fineState_[i].store(kFineDone, std::memory_order_release);
    fineState_[i].notify_all();
    return true;
}

const QImage* SkinImages::FineSlot(size_t i) const {
    if (!ClaimAndUnpackFine(i)) {
        // Done, or being unpacked by the helper right now.
        for (int state = fineState_[i].load(std::memory_order_acquire); state != kFineDone;
             state = fineState_[i].load(std::memory_order_acquire)) {
            fineState_[i].wait(state, std::memory_order_acquire);
        }
    }
    return fineImages_[i].isNull() ? nullptr : &fineImages_[i];
}

void SkinImages::StartUnpacking() {
    // Largest first: the window and graph backgrounds are drawn first and cost the most.
    std::vector<size_t> order;
    for (size_t i = 0; i < sizes_.size(); ++i) {
        if (!sizes_[i].isEmpty()) {
            order.push_back(i);
        }
    }
    const auto area = [this](size_t i) { return qint64(sizes_[i].width()) * sizes_[i].height(); };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return area(a) > area(b); });
    try {
        unpacker_ = std::jthread([this, order = std::move(order)](const std::stop_token& stop) {
            for (size_t i : order) {
                if (stop.stop_requested()) {
                    return;
                }
                ClaimAndUnpackFine(i);
            }
        });
    } catch (const std::system_error&) {
        // No thread to spare: each picture is unpacked when it is first drawn.
    }
}

void SkinImages::StopUnpacking() {
    if (unpacker_.joinable()) {
        unpacker_.request_stop();
        unpacker_.join();
    }
}

const QImage* SkinImages::ImageFor(int number, double devicePixelRatio) const {
    const std::optional<size_t> i = Index(number);
    if (!i) {
        return nullptr;
    }
    if (SetFor(devicePixelRatio) == kFinestScale) {
        if (const QImage* fine = FineSlot(*i)) {
            return fine;
        }
    }
    return OneXSlot(*i);
}

int SkinImages::NaturalWidth(int number) const {
    return NaturalSize(number).width();
}

int SkinImages::NaturalHeight(int number) const {
    return NaturalSize(number).height();
}

QSize SkinImages::NaturalSize(int number) const {
    const std::optional<size_t> i = Index(number);
    return i ? sizes_[*i] : QSize(0, 0);
}

void SkinImages::DrawSkinImage(int number, QPainter& painter, double x, double y, int width,
                               int height) const {
    const QSize natural = NaturalSize(number);
    if (natural.isEmpty()) {
        return;
    }
    const QRectF target(x, y, width ? width : natural.width(), height ? height : natural.height());
    DrawSkinImagePart(number, painter, target, QRectF(QPointF(0, 0), QSizeF(natural)));
}

void SkinImages::DrawSkinImageScaled(int number, QPainter& painter, double x, double y, double scale,
                                     int sizeOf) const {
    QSize size = sizeOf ? NaturalSize(sizeOf) : QSize();
    if (size.isEmpty()) {
        size = NaturalSize(number);
    }
    const int width = Nearest(size.width() * scale);
    const int height = Nearest(size.height() * scale);
    if (width > 0 && height > 0) {
        DrawSkinImage(number, painter, x, y, width, height);
    }
}

void SkinImages::DrawSkinImagePart(int number, QPainter& painter, const QRectF& target,
                                   const QRectF& source) const {
    if (target.isEmpty() || source.isEmpty()) {
        return;
    }
    const double deviceScale = DeviceScale(painter);
    const QImage* image = ImageFor(number, deviceScale);
    if (!image) {
        return;
    }
    const double ratio = image->devicePixelRatio();
    const QRectF pixels(source.topLeft() * ratio, source.size() * ratio);
    // Scaled copies are filtered like the original skin renderer; copies that put one image pixel on one
    // device pixel stay plain blits.
    const bool scaled = target.size() * deviceScale != pixels.size();
    const bool wasSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    if (scaled != wasSmooth) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, scaled);
    }
    painter.drawImage(target, *image, pixels);
    if (scaled != wasSmooth) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, wasSmooth);
    }
}

void SkinImages::DrawSkinText(QPainter& painter, const QString& text, quint32 argb,
                              const QString& position) const {
    if (text.isEmpty()) {
        return;
    }
    // The labels were laid out for a Song-style face: Chinese labels larger and bold, Latin ones small.
    const bool chinese = text.front().unicode() > 0x7F;
    QFont font(SkinFontFamily());
    font.setPixelSize(chinese ? 18 : 12);
    font.setBold(chinese);

    const QStringList items = position.split(QLatin1Char(','));
    const double x = PositionItem(items, 0);
    const double y = PositionItem(items, 1);
    // Generous layout box (two character cells of 15 units per character), as the labels were designed.
    constexpr double kUnitsPerPixel = 15;
    const QRectF box(x, y, x + 2 * text.size() * kUnitsPerPixel, y + 20 * kUnitsPerPixel);

    painter.save();
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(argb));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    painter.restore();
}

} // namespace korva
