// The dialog of the reasons for a change of the register's data: its boxes,
// the mask both ways, the modal edit of a mask text and the one instance made
// at start-up.

#include "common/RunHandler.h"
#include "common/fmuReasonCodes.h"
#include "platform/LedgraErrors.h"
#include "shell/PageTree.h"
#include "tests/support/PageTestSupport.h"

#include <QCheckBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace {
QList<int> Checked(const TfmReasonCodes& dlg) {
    QList<int> bits;
    for (QCheckBox* box : dlg.Boxes())
        if (box->isChecked())
            bits << ControlTag(box);
    return bits;
}
} // namespace

class TestReasonCodes : public QObject {
    Q_OBJECT
private slots:
    void boxes() {
        TfmReasonCodes dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Коды причин изменения сведений о ККТ"));
        const QList<QCheckBox*> boxes = dlg.Boxes();
        QCOMPARE(boxes.size(), 23);
        for (int i = 0; i < 22; ++i)
            QCOMPARE(ControlTag(boxes[i]), i);
        QCOMPARE(ControlTag(boxes.last()), 31);
        QCOMPARE(boxes.first()->text(), QStringLiteral("1. Замена фискального накопителя"));
        QCOMPARE(boxes[21]->text(), QStringLiteral("22. Изменение версии ФФД"));
        QCOMPARE(boxes.last()->text(), QStringLiteral("32. Иные причины"));
    }

    void mask_data() {
        QTest::addColumn<quint64>("in");
        QTest::addColumn<QList<int>>("bits");
        QTest::addColumn<quint32>("out");
        QTest::newRow("none") << quint64(0) << QList<int>{} << 0u;
        QTest::newRow("first and third") << quint64(5) << QList<int>{0, 2} << 5u;
        QTest::newRow("every box")
            << quint64(0xFFFFFFFF) << QList<int>{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                                 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 31}
            << 0x803FFFFFu;
        QTest::newRow("bit 31 alone") << quint64(0x80000000) << QList<int>{31} << 0x80000000u;
        // Bits without a box and bits above 31 check nothing.
        QTest::newRow("bits 22 to 30") << quint64(0x7FC00000) << QList<int>{} << 0u;
        QTest::newRow("above 32 bits") << quint64(0x100000002) << QList<int>{1} << 2u;
    }
    void mask() {
        QFETCH(quint64, in);
        QFETCH(QList<int>, bits);
        QFETCH(quint32, out);
        TfmReasonCodes dlg;
        dlg.SetMask(0xFFFFFFFF); // loading clears what was checked before
        dlg.SetMask(in);
        QCOMPARE(Checked(dlg), bits);
        QCOMPARE(dlg.Mask(), out);
    }

    void reasonCodesToStr_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("small") << qint64(5) << "5";
        QTest::newRow("bit 31 from the signed property") << qint64(INT32_MIN) << "2147483648";
        QTest::newRow("every bit") << qint64(-1) << "4294967295";
        QTest::newRow("already unsigned") << qint64(0x80000001) << "2147483649";
    }
    void reasonCodesToStr() {
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QCOMPARE(ReasonCodesToStr(value), text);
    }

    void execute_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("toggle"); // box index clicked, -1 none
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("after"); // empty: nothing written back
        QTest::newRow("OK adds bit 31 unsigned") << "3" << 22 << true << "2147483651";
        QTest::newRow("OK removes a bit") << "2147483651" << 0 << true << "2147483650";
        QTest::newRow("OK unchanged") << " 6 " << -1 << true << "6";
        QTest::newRow("closed without OK") << "3" << 22 << false << "";
    }
    void execute() {
        QFETCH(QString, before);
        QFETCH(int, toggle);
        QFETCH(bool, ok);
        QFETCH(QString, after);
        TfmReasonCodes dlg;
        TModalAnswer answer([&](QWidget* w) {
            QCOMPARE(w, &dlg);
            if (toggle >= 0)
                dlg.Boxes()[toggle]->click();
            if (ok)
                Find<QPushButton>(dlg, "btnOK")->click();
            else
                dlg.close();
        });
        const std::optional<QString> result = dlg.Execute(before);
        QCOMPARE(answer.Count, 1);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(result.value_or(QString()), after);
        QCOMPARE(result.has_value(), ok);
    }

    void executeRejectsText_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("letters") << "12a";
        QTest::newRow("beyond 64 bits") << "99999999999999999999";
    }
    void executeRejectsText() {
        QFETCH(QString, text);
        TfmReasonCodes dlg;
        dlg.SetMask(1);
        QVERIFY_THROWS_EXCEPTION(EError, dlg.Execute(text));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.Mask(), 1u); // boxes untouched
    }

    void wheel_data() {
        QTest::addColumn<bool>("shift");
        QTest::newRow("vertical") << false;
        QTest::newRow("sideways with Shift") << true;
    }
    void wheel() {
        QFETCH(bool, shift);
        TfmReasonCodes dlg;
        dlg.resize(200, 150);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto* area = Find<QScrollArea>(dlg, "ScrollBox");
        QScrollBar* moved = shift ? area->horizontalScrollBar() : area->verticalScrollBar();
        QScrollBar* kept = shift ? area->verticalScrollBar() : area->horizontalScrollBar();
        QVERIFY(moved->maximum() > 40);
        const QPointF pos(10, 10);
        QWheelEvent event(pos, area->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, -40),
                          Qt::NoButton, shift ? Qt::ShiftModifier : Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(area->viewport(), &event);
        QCOMPARE(moved->value(), 40);
        QCOMPARE(kept->value(), 0);
    }

    void oneInstanceFromStartup() {
        QWidget mainWindow;
        const auto hooks = StartupHooks();
        QVERIFY(!hooks.empty());
        QVERIFY(hooks.front() == &CreateReasonCodesDialog);
        hooks.front()(&mainWindow);
        TfmReasonCodes* dlg = ReasonCodesDialog();
        QCOMPARE(dlg->parentWidget(), &mainWindow);
        QVERIFY(dlg->isWindow());
        hooks.front()(&mainWindow);
        QCOMPARE(ReasonCodesDialog(), dlg);
    }
};

QTEST_MAIN(TestReasonCodes)
#include "tst_reasoncodes.moc"
