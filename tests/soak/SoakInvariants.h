#pragma once
// What must hold between any two user actions of a soak run, whatever the processor did meanwhile: no
// exchange still waiting, no control left locked, every stored value inside what its control allows, the
// selection inside its channel, the graph's points and the knobs showing the store, a sane undo history
// and only the messages the events called for. Also the byte-for-byte comparison of the processor's
// memory with the store after a download.

#include "StoreRanges.h"

#include <QObject>
#include <QString>
#include <set>

class QWidget;

namespace korva {
class ParamStore;
}
namespace korva::test {
struct TestWorld;
}

namespace korva::soak {

// After every bulk transfer that ends with the link still up - the whole read after a reconnect, or a
// download - the processor's memory equals the store in every transferred block. Checked the moment the
// transfer hides its progress bar, before any later edit can make them differ again.
class TransferCheck : public QObject {
    Q_OBJECT
public:
    explicit TransferCheck(test::TestWorld& world);

    int Checked() const { return checked_; }
    // The first difference found, or empty.
    const QString& FirstDifference() const { return firstDifference_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    test::TestWorld& world_;
    int checked_ = 0;
    QString firstDifference_;
};

class SoakInvariants {
public:
    // What the events of the run so far call for.
    struct ExpectedMessages {
        int OfflineTransitions = 0; // "与目标通信连接超时，已断开连接。", once per loss of the link
        int OfflineDownloads = 0;  // "还没有连接到目标机。"
        int NotANumberEntries = 0; // "请输入数字!"
        int ThrowsArmed = 0;       // at most this many "操作USB设备失败！"
    };

    // Takes the ranges from the window and notes the controls its design leaves disabled.
    SoakInvariants(test::TestWorld& world, QString* error);

    // The first broken rule, or empty.
    QString Check() const;
    QString CheckMessages(const ExpectedMessages& expected) const;

    // The transferred blocks (A, B and C of each group, Common of group 0) of the processor's memory
    // against the store: the first record that differs, or empty.
    static QString CompareTransferredBlocks(const ParamStore& device, const ParamStore& store);

private:
    QString CheckControls() const;
    QString CheckSelection() const;
    QString CheckGraphShowsStore() const;
    QString CheckUndo() const;

    test::TestWorld& world_;
    StoreRanges ranges_;
    std::set<const QWidget*> disabledByDesign_;
};

} // namespace korva::soak
