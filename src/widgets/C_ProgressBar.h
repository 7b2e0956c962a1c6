#pragma once
// The progress bar shown during bulk transfers: a yellow frame around a red-to-blue gradient that is
// uncovered as the transfer proceeds, with the caption "正在通信, 完成N%". At most 25 pixels high.

#include <QWidget>

namespace korva {

class C_ProgressBar : public QWidget {
    Q_OBJECT
    // Stored as min(value, MaxValue); negative values count as 0.
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    // 100 at creation.
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)

public:
    static constexpr int kMaxHeight = 25;

    explicit C_ProgressBar(QWidget* parent = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int maxValue);

    // Whole percent shown (truncated); 0 while MaxValue is 0.
    int Percent() const;
    QString Caption() const;
    void Refresh() { repaint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int ShownValue() const;

    int value_ = 0;
    int maxValue_ = 100;
};

} // namespace korva
