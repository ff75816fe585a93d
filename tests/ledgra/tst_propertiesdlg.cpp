// The component's settings dialog as the operator uses it.

#include "driver/TLedgra.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraSettings.h"
#include "ledgra/fmuDriverProperties.h"
#include "tests/support/TestDataDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

class TestPropertiesDlg : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void okSavesForTheNextObject();
    void checkConnectionShowsTheRegistersAnswer();
    void badPasswordKeepsTheDialogOpen();
};

namespace {
template <typename T> T* Find(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}
// Presses OK of whatever dialog is modal once the event loop runs.
void AcceptModalSoon(const std::function<void(QDialog&)>& edit) {
    QTimer::singleShot(0, [edit] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        edit(*dlg);
        Find<QDialogButtonBox>(*dlg, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
}
} // namespace

void TestPropertiesDlg::okSavesForTheNextObject() {
    TestDataDir dir;
    TLedgra d(std::make_shared<TLedgraComponent>());
    AcceptModalSoon([](QDialog& dlg) {
        auto* type = Find<QComboBox>(dlg, "cbConnectionType");
        type->setCurrentIndex(type->findData(LedgraSettings::kTcp));
        Find<QCheckBox>(dlg, "chbUseIPAddress")->setChecked(true);
        Find<QLineEdit>(dlg, "edtIPAddress")->setText(QStringLiteral("192.0.2.7"));
        Find<QSpinBox>(dlg, "seTCPPort")->setValue(7001);
        Find<QComboBox>(dlg, "cbBaudRate")->setCurrentIndex(4);
        Find<QLineEdit>(dlg, "edtPassword")->setText(QStringLiteral("1"));
    });
    QCOMPARE(d.ShowProperties(), 0);
    QCOMPARE(d.ConnectionType(), LedgraSettings::kTcp); // visible in the properties at once
    TLedgra next(std::make_shared<TLedgraComponent>());
    QCOMPARE(next.ConnectionType(), LedgraSettings::kTcp);
    QCOMPARE(next.IPAddress(), QStringLiteral("192.0.2.7"));
    QCOMPARE(next.TCPPort(), 7001);
    QCOMPARE(next.BaudRate(), 4);
    QCOMPARE(next.Password(), 1);
}

void TestPropertiesDlg::checkConnectionShowsTheRegistersAnswer() {
    TestDataDir dir;
    auto object = std::make_shared<TLedgraComponent>();
    TfmDriverProperties dlg(*object);
    Find<QPushButton>(dlg, "btnCheckConnection")->click();
    QCOMPARE(Find<QLineEdit>(dlg, "edtResult")->text(), QStringLiteral("(0) Ошибок нет"));
}

void TestPropertiesDlg::badPasswordKeepsTheDialogOpen() {
    TestDataDir dir;
    auto object = std::make_shared<TLedgraComponent>();
    TfmDriverProperties dlg(*object);
    Find<QLineEdit>(dlg, "edtPassword")->setText(QString());
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QVERIFY(box->text().contains(QStringLiteral("не является целым числом")));
            box->accept();
        }
    });
    QVERIFY(!dlg.Apply());
    QCOMPARE(TLedgra(object).Password(), 30);
}

QTEST_MAIN(TestPropertiesDlg)
#include "tst_propertiesdlg.moc"
