#pragma once
// The image button: every button, switch, indicator, title strip and panel background of the main window.
// It draws skin images stacked in layers at design offsets; the layer named by ValueIndex shows the image
// number + Value, so a state change swaps one picture. It scales everything by its current width.

#include <QString>
#include <QWidget>
#include <vector>

namespace korva {

class SkinImages;

class SimpControl : public QWidget {
    Q_OBJECT
    // Comma-separated skin numbers, one per layer, bottom layer first (the default button by default).
    Q_PROPERTY(QString Pics READ Pics WRITE SetPics)
    // Comma-separated layer offsets in pixels at design size; missing items are 0.
    Q_PROPERTY(QString PosX READ PosX WRITE SetPosX)
    Q_PROPERTY(QString PosY READ PosY WRITE SetPosY)
    Q_PROPERTY(int ValueIndex READ ValueIndex WRITE SetValueIndex)
    // 0..255; the ValueIndex layer draws its number + Value.
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(int ActionType READ ActionType WRITE SetActionType)
    // 0xRRGGBB cleared under the layers; a negative value clears nothing (the parent shows through).
    Q_PROPERTY(int BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(QString TagNew READ TagNew WRITE SetTagNew)
    // Draws the high-cut marker image in place of the first layer.
    Q_PROPERTY(bool UserHightCutPic READ UserHightCutPic WRITE SetUserHightCutPic)

public:
    enum Action {
        kToggle = 0,  // a press flips Value between 0 and 1 and clicks
        kPush = 1,    // pressed look while held, click on release
        kTrigger = 2, // click on press; Value is left to the handler
    };
    // `skin` must outlive the control. The control starts as the default button, at its natural size.
    explicit SimpControl(const SkinImages& skin, QWidget* parent = nullptr);

    QString Pics() const { return pics_; }
    // Also resizes the control to the natural size of the first image (when the skin has it).
    void SetPics(const QString& pics);
    QString PosX() const { return posX_; }
    void SetPosX(const QString& posX);
    QString PosY() const { return posY_; }
    void SetPosY(const QString& posY);
    int ValueIndex() const { return valueIndex_; }
    void SetValueIndex(int index);
    int Value() const { return value_; }
    void SetValue(int value);
    int ActionType() const { return actionType_; }
    void SetActionType(int type) { actionType_ = type; }
    int BackColor() const { return backColor_; }
    void SetBackColor(int color);
    QString TagNew() const { return tagNew_; }
    void SetTagNew(const QString& tag) { tagNew_ = tag; }
    bool UserHightCutPic() const { return userHightCutPic_; }
    void SetUserHightCutPic(bool on);

    // Redraws at once.
    void Refresh() { repaint(); }
    // Width ÷ natural width of the first image; 1 when the skin lacks that image.
    double Scale() const;

signals:
    void Click();
    // button: 1 left, 2 right, 4 middle (held buttons for MouseMove); shift: 1 Shift, 2 Ctrl, 4 Alt;
    // x, y: the pointer in pixels of the control at its current size.
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Layer {
        int pic = 0;
        double x = 0;
        double y = 0;
    };
    void RebuildLayers();

    const SkinImages& skin_;
    QString pics_;
    QString posX_ = QStringLiteral("0");
    QString posY_ = QStringLiteral("0");
    int valueIndex_ = 0;
    int value_ = 0;
    int actionType_ = kPush;
    int backColor_ = 0;
    QString tagNew_;
    bool userHightCutPic_ = false;
    // A press that began while enabled and has not been released or cut off by a lock since. Only such
    // a press may click on release: one that began during a lock must not act after it.
    bool pressed_ = false;
    std::vector<Layer> layers_;
};

} // namespace korva
