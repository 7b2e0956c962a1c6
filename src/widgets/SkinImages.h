#pragma once
// The skin: every picture of the user interface, decoded once at start-up into a table of numbered
// slots. Controls name their pictures by number and draw them through this table; they never load files.
// One SkinImages object is owned by the main window and passed to every skinned control, and it must
// outlive them.
//
// Sizes and positions are logical pixels, the pixels of the design. On a high-resolution display (device
// pixel ratio above 1) each picture is drawn from its twice-as-fine version NNN@2x.argb instead (see
// SkinPixelFile.h), at the same logical size, so that no picture is ever magnified there. A display at
// 100 % never pays for them: each is unpacked the first time a surface above 100 % draws it, or ahead of
// that by a helper thread when the program starts on such a display.

#include "design/SkinNumbers.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <array>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

class QPainter;

namespace korva {

class SkinImages {
public:
    static constexpr int kFirstNumber = skinnumbers::kFirstPicture;
    static constexpr int kSlotCount = 500; // numbers 101..600; a shipped skin stays within kLastPicture
    static constexpr int kLastNumber = kFirstNumber + kSlotCount - 1;

    // Where the program keeps its skin: skin/NNN.png compiled in as resources.
    static QString DefaultFolder() { return QStringLiteral(":/skin"); }

    // The message the main window shows (critical icon) before ending the program when LoadSkinImages
    // reports that the image library cannot work.
    static QString InitErrorTitle() { return QStringLiteral("初始化错误"); }
    static QString InitErrorText() { return QStringLiteral("GDI+ 初始化错误。程序即将关闭。"); }

    using ImageTable = std::array<QImage, kSlotCount>;

    SkinImages() = default;
    // A moved table takes the pictures unpacked so far; the rest are unpacked when first drawn.
    SkinImages(SkinImages&& other) noexcept;
    SkinImages& operator=(SkinImages&& other) noexcept;

    // Device pixels per logical pixel of the finest image set.
    static constexpr int kFinestScale = 2;
    // The set a surface of `devicePixelRatio` draws from: 1 up to a ratio of 1, else the finest (which is
    // scaled down on displays between the two).
    static int SetFor(double devicePixelRatio) { return devicePixelRatio > 1.0 ? kFinestScale : 1; }
    // Device pixels per logical pixel a painter draws at (its surface's ratio and any scaling).
    static double DeviceScale(const QPainter& painter);

    // Decodes folder/NNN.png for every slot; only the first call does anything, later calls return the
    // first result. A missing file leaves its slot empty and is not an error; a file that does not decode
    // also leaves its slot empty and is listed in UndecodableNumbers(). Returns false only when the image
    // library cannot decode PNG at all (then the program cannot show anything and must end).
    // On a display that draws from the finer set (devicePixelRatio above 1) the 1x pictures are only
    // measured, and each is decoded if it is ever drawn (one that then fails to decode draws nothing and
    // is not listed); the finer pictures are unpacked by a helper thread meanwhile, largest first, while
    // the window is being built.
    bool LoadSkinImages(const QString& folder = DefaultFolder(), double devicePixelRatio = 1.0);
    bool IsLoaded() const { return loaded_; }
    const std::vector<int>& UndecodableNumbers() const { return undecodable_; }
    // Readable reason of the last failure (library or undecodable images), empty when all went well.
    const QString& LastError() const { return lastError_; }
    // How many slots hold a picture.
    int LoadedCount() const;

    // Puts an image into a slot directly (tests and tools); a number outside 101..600 is ignored. An image
    // whose device pixel ratio is kFinestScale goes into the finest set, any other into the 1x set. Ends
    // the helper's unpacking first.
    void SetImage(int number, const QImage& image);

    // The image of `number` that a surface of `devicePixelRatio` shows: from the finest set when the ratio
    // is above 1 and that set has the picture, else the 1x one; null for an empty slot. The image carries
    // its set's scale as its device pixel ratio.
    const QImage* ImageFor(int number, double devicePixelRatio) const;

    bool HasImage(int number) const { return Index(number).has_value(); }
    // Natural size in pixels; 0 for an empty slot.
    int NaturalWidth(int number) const;
    int NaturalHeight(int number) const;
    QSize NaturalSize(int number) const;

    // Draws the image stretched into (x, y, width, height); width or height 0 means the natural one.
    // An empty slot draws nothing.
    void DrawSkinImage(int number, QPainter& painter, double x, double y, int width = 0,
                       int height = 0) const;
    // Draws the image at `scale` times a natural size: that of `sizeOf` when given and present (a state
    // picture drawn at its base picture's size), else its own.
    void DrawSkinImageScaled(int number, QPainter& painter, double x, double y, double scale,
                             int sizeOf = 0) const;
    // Draws the part `source` (logical pixels of the image) of the image stretched into `target`.
    void DrawSkinImagePart(int number, QPainter& painter, const QRectF& target, const QRectF& source) const;

    // Draws a short label at position "x,y" (pixels) in the colour 0xAARRGGBB: 18 px bold when the text
    // begins with a Chinese character, else 12 px regular, in the program's label font.
    void DrawSkinText(QPainter& painter, const QString& text, quint32 argb, const QString& position) const;

private:
    // The slot of a number that has a picture.
    std::optional<size_t> Index(int number) const;
    const QImage* OneXSlot(size_t i) const;
    const QImage* FineSlot(size_t i) const;
    // Unpacks slot i of the finer set unless another thread has claimed it; true when this call did.
    bool ClaimAndUnpackFine(size_t i) const;
    void StartUnpacking();
    void StopUnpacking();
    QString OneXPath(int number) const;

    // The natural (logical) size of every slot's picture, empty for none.
    std::array<QSize, kSlotCount> sizes_{};
    // Both sets are filled in as pictures are first needed where they are not decoded at start-up;
    // drawing is const, so these are mutable.
    mutable ImageTable images_;
    mutable std::array<bool, kSlotCount> oneXTried_{};
    // A slot of the finer set is unpacked once, by whichever thread claims it first (the helper or the
    // drawing thread); its state says who has it, and a slot is read only once it is kFineDone.
    enum FineState : int { kFineNotStarted, kFineUnpacking, kFineDone };
    mutable ImageTable fineImages_;
    mutable std::array<std::atomic<int>, kSlotCount> fineState_{};
    QString folder_;
    bool loaded_ = false;
    bool libraryWorks_ = true;
    std::vector<int> undecodable_;
    QString lastError_;
    // Declared last: it is stopped and joined before the tables it fills go away.
    std::jthread unpacker_;
};

} // namespace korva
