#include "design/DesignData.h"

#include <QTest>

using namespace korva;

class TestDesignData : public QObject {
    Q_OBJECT
private slots:
    void ReadsFormControlsArraysAndParents();
    void AcceptsWindowsLineEndsAndComments();
    void ReadsNumbersInEitherBase_data();
    void ReadsNumbersInEitherBase();
    void ReadsNumberProperties_data();
    void ReadsNumberProperties();
    void RejectsMalformedData_data();
    void RejectsMalformedData();
};

namespace {

const char* const kSample = R"(# sample window
[frmEQ]
ClientSize=23730,13500
BackPic=101
Caption=ignored by the parser

[Frame2(1)]
Type=Frame
Rect=360,8940,22000,4000
Visible=0

[MyScrollBar(17)]
Type=ScrollBar
Parent=Frame2(1)
Rect=100,200,3000,400
MaxValue=160
TagNew=Group,&H00

[tmrDrawWave]
Type=Timer
Interval=1
Enabled=0
)";

} // namespace

void TestDesignData::ReadsFormControlsArraysAndParents() {
    QString error;
    const auto form = ParseDesignData(QString::fromUtf8(kSample), &error);
    QVERIFY2(form, qPrintable(error));
    QCOMPARE(form->Name, QStringLiteral("frmEQ"));
    QCOMPARE(form->ClientSize, QSize(23730, 13500));
    QCOMPARE(form->BackPic, 101);
    QCOMPARE(form->Controls.size(), size_t(3));

    const DesignControl* frame = form->Find(QStringLiteral("Frame2(1)"));
    QVERIFY(frame);
    QCOMPARE(frame->Name, QStringLiteral("Frame2"));
    QCOMPARE(frame->Index, 1);
    QCOMPARE(frame->Visible, false);

    const DesignControl* slider = form->Find(QStringLiteral("MyScrollBar(17)"));
    QVERIFY(slider);
    QCOMPARE(slider->Type, DesignType::ScrollBar);
    QCOMPARE(slider->Parent, QStringLiteral("Frame2(1)"));
    QCOMPARE(*slider->Rect, QRect(100, 200, 3000, 400));
    QCOMPARE(slider->Visible, true);
    // Structural keys are not properties; the others keep file order and their line.
    QCOMPARE(slider->Properties.size(), size_t(2));
    QCOMPARE(slider->Properties[0].Key, QStringLiteral("MaxValue"));
    QCOMPARE(slider->Properties[1].Value, QStringLiteral("Group,&H00"));
    QCOMPARE(slider->Properties[1].Line, 17);

    const DesignControl* timer = form->Find(QStringLiteral("tmrDrawWave"));
    QVERIFY(timer);
    QCOMPARE(timer->Type, DesignType::Timer);
    QVERIFY(!timer->Rect);
}

void TestDesignData::AcceptsWindowsLineEndsAndComments() {
    const QString text = QStringLiteral("\r\n  # comment\r\n[frmEQ]\r\nClientSize = 150 , 300\r\n"
                                        "[Label1]\r\nType=Label\r\nRect=0,0,10,10\r\nCaption=a=b\r\n");
    QString error;
    const auto form = ParseDesignData(text, &error);
    QVERIFY2(form, qPrintable(error));
    QCOMPARE(form->ClientSize, QSize(150, 300));
    // Only the first "=" separates key and value.
    QCOMPARE(form->Controls[0].Property(QStringLiteral("Caption"))->Value, QStringLiteral("a=b"));
}

void TestDesignData::ReadsNumbersInEitherBase_data() {
    QTest::addColumn<QString>("rect");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("decimal") << "360, 8940 ,22000,4000" << QRect(360, 8940, 22000, 4000);
    QTest::newRow("&H hexadecimal") << "&H168,&H22EC,&h55f0,&HFA0" << QRect(360, 8940, 22000, 4000);
}

void TestDesignData::ReadsNumbersInEitherBase() {
    QFETCH(QString, rect);
    QFETCH(QRect, twips);
    QString error;
    const auto form = ParseDesignData(
        QStringLiteral("[frmEQ]\nClientSize=23730,13500\n[Frame1]\nType=Frame\nRect=%1\n").arg(rect), &error);
    QVERIFY2(form, qPrintable(error));
    QCOMPARE(*form->Controls[0].Rect, twips);
}

void TestDesignData::ReadsNumberProperties_data() {
    QTest::addColumn<QString>("text");
    // What a list key holds; a single key holds the first, or the fallback 0 when there is none.
    QTest::addColumn<QList<int>>("numbers");
    QTest::newRow("decimal") << "23730" << QList<int>{23730};
    QTest::newRow("hex") << "&HCB" << QList<int>{0xCB};
    QTest::newRow("hex lower case") << "&h0c" << QList<int>{0x0C};
    QTest::newRow("blanks") << "  15 " << QList<int>{15};
    QTest::newRow("negative") << "-120" << QList<int>{-120};
    QTest::newRow("word") << "Group" << QList<int>{};
    QTest::newRow("empty") << "" << QList<int>{};
    QTest::newRow("list, words left out") << "110,x,&H6F" << QList<int>{110, 0x6F};
}

void TestDesignData::ReadsNumberProperties() {
    QFETCH(QString, text);
    QFETCH(QList<int>, numbers);
    DesignControl control;
    control.Properties.push_back({QStringLiteral("Pics"), text, 1});
    QCOMPARE(control.IntListProperty(QStringLiteral("Pics")), numbers);
    if (numbers.size() <= 1) {
        QCOMPARE(control.IntProperty(QStringLiteral("Pics")), numbers.value(0, 0));
    }
}

void TestDesignData::RejectsMalformedData_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line"); // 0: the error names no line
    QTest::addColumn<QString>("mentions");

    const QString head = QStringLiteral("[frmEQ]\nClientSize=23730,13500\n");
    QTest::newRow("empty") << QString("# nothing\n") << 0 << "为空";
    QTest::newRow("key before any block") << QString("Type=Frame\n[frmEQ]\n") << 1 << "Type";
    QTest::newRow("form without size") << QString("[frmEQ]\nBackPic=101\n") << 1 << "ClientSize";
    QTest::newRow("form size not numbers")
        << QString("[frmEQ]\nClientSize=wide,13500\n") << 2 << "ClientSize";
    QTest::newRow("form with index") << QString("[frmEQ(0)]\nClientSize=1,1\n") << 1 << "窗体";
    QTest::newRow("bad header") << head + "[btn Up]\nType=SimpControl\n" << 3 << "[btn Up]";
    QTest::newRow("unclosed header") << head + "[btnUp1\n" << 3 << "btnUp1";
    QTest::newRow("line without =") << head + "[btnUp1]\nType SimpControl\n" << 4 << "Type SimpControl";
    QTest::newRow("empty key") << head + "[btnUp1]\n=5\n" << 4 << "键名";
    QTest::newRow("duplicate key") << head + "[btnUp1]\nType=SimpControl\nRect=0,0,1,1\nType=Label\n"
                                   << 6 << "第 4 行";
    QTest::newRow("missing type") << head + "[btnUp1]\nRect=0,0,1,1\n" << 3 << "Type";
    QTest::newRow("unknown type") << head + "[btnUp1]\nType=Button\nRect=0,0,1,1\n" << 4 << "Button";
    QTest::newRow("missing rect") << head + "[btnUp1]\nType=SimpControl\n" << 3 << "Rect";
    QTest::newRow("rect with three numbers") << head + "[btnUp1]\nType=SimpControl\nRect=0,0,1\n"
                                             << 5 << "Rect";
    QTest::newRow("rect not a number") << head + "[btnUp1]\nType=SimpControl\nRect=0,0,1,x\n" << 5 << "Rect";
    QTest::newRow("negative size") << head + "[btnUp1]\nType=SimpControl\nRect=0,0,-1,5\n" << 5 << "负数";
    QTest::newRow("timer with rect") << head + "[Timer1]\nType=Timer\nRect=0,0,1,1\n" << 5 << "Timer1";
    QTest::newRow("bad visible") << head + "[btnUp1]\nType=SimpControl\nRect=0,0,1,1\nVisible=no\n"
                                 << 6 << "Visible";
    QTest::newRow("duplicate control") << head + "[btnMode(2)]\nType=SimpControl\nRect=0,0,1,1\n"
                                                 "[btnMode(2)]\nType=SimpControl\nRect=0,0,1,1\n"
                                       << 6 << "btnMode(2)";
    QTest::newRow("array and single") << head + "[btnMode(2)]\nType=SimpControl\nRect=0,0,1,1\n"
                                                "[btnMode]\nType=SimpControl\nRect=0,0,1,1\n"
                                      << 6 << "btnMode";
    QTest::newRow("unknown parent") << head + "[btnUp1]\nType=SimpControl\nRect=0,0,1,1\nParent=Frame9\n"
                                    << 6 << "Frame9";
    QTest::newRow("parent not a container")
        << head + "[btnUp1]\nType=SimpControl\nRect=0,0,1,1\n"
                  "[btnUp2]\nType=SimpControl\nRect=0,0,1,1\nParent=btnUp1\n"
        << 9 << "btnUp1";
    QTest::newRow("parent loop") << head + "[FrameA]\nType=Frame\nRect=0,0,1,1\nParent=FrameB\n"
                                           "[FrameB]\nType=Frame\nRect=0,0,1,1\nParent=FrameA\n"
                                 << 6 << "循环";
}

void TestDesignData::RejectsMalformedData() {
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, mentions);
    QString error;
    QVERIFY(!ParseDesignData(text, &error));
    if (line > 0) {
        QVERIFY2(error.contains(QStringLiteral("第 %1 行").arg(line)), qPrintable(error));
    }
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestDesignData)
#include "tst_designdata.moc"
