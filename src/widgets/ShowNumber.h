#pragma once
// The digit display: a signed number drawn with the skin's digit pictures, optionally in tenths with one
// decimal place, centred over an optional background picture. It scales by its height.

#include "design/SkinNumbers.h"

#include <QString>
#include <QWidget>
#include <vector>

namespace korva {

class SkinImages;

class ShowNumber : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    // Shows Value ÷ 10 with one decimal.
    Q_PROPERTY(bool Div10 READ Div10 WRITE SetDiv10)
    // Skin number of digit 0; 1..9 follow it.
    Q_PROPERTY(int PicNumber READ PicNumber WRITE SetPicNumber)
    // Skin number of the decimal point; the minus sign follows it.
    Q_PROPERTY(int PicDig READ PicDig WRITE SetPicDig)
    // Background picture drawn at the origin; 0 = none.
    Q_PROPERTY(int BackPic READ BackPic WRITE SetBackPic)
    // 0xRRGGBB cleared first; a negative value clears nothing (the parent shows through).
    Q_PROPERTY(int BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(QString TagNew READ TagNew WRITE SetTagNew)
    // The control's height at design size, in pixels: the glyphs scale by height ÷ ReferenceHeight.
    // Setting BackPic (or PicNumber while there is no BackPic) sets it to that picture's height; the
    // owner sets it after placing the control at design size when the design height differs.
    Q_PROPERTY(int ReferenceHeight READ ReferenceHeight WRITE SetReferenceHeight)

public:
    // `skin` must outlive the control.
    explicit ShowNumber(const SkinImages& skin, QWidget* parent = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    bool Div10() const { return div10_; }
    void SetDiv10(bool on);
    int PicNumber() const { return picNumber_; }
    // Without a BackPic, also makes the control as high as the digit picture.
    void SetPicNumber(int number);
    int PicDig() const { return picDig_; }
    void SetPicDig(int number);
    int BackPic() const { return backPic_; }
    // Also makes the control exactly the background picture's size.
    void SetBackPic(int number);
    int BackColor() const { return backColor_; }
    void SetBackColor(int color);
    QString TagNew() const { return tagNew_; }
    void SetTagNew(const QString& tag) { tagNew_ = tag; }
    int ReferenceHeight() const;
    void SetReferenceHeight(int height);

    // The skin numbers being shown, left to right.
    const std::vector<int>& Glyphs() const { return glyphs_; }
    double Scale() const;
    void Refresh() { repaint(); }

signals:
    void Click();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void RebuildGlyphs();

    const SkinImages& skin_;
    int value_ = 0;
    bool div10_ = false;
    int picNumber_ = skinnumbers::kDigit0;
    int picDig_ = skinnumbers::kDecimalPoint;
    int backPic_ = 0;
    int backColor_ = 0;
    QString tagNew_;
    int referenceHeight_ = 0; // 0: the picture's own height
    bool pressed_ = false;
    std::vector<int> glyphs_;
};

} // namespace korva
