#include "common/RunHandler.h"
#include "platform/LedgraErrors.h"

#include <QtTest>

class TestCommon : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { SetErrorSink({}); }
    void runHandler_data();
    void runHandler();
    void notifyCatchesWhatEscapesASlot();

private:
    QStringList FShown;
};

void TestCommon::init() {
    FShown.clear();
    SetErrorSink([this](QWidget*, const QString& text) { FShown << text; });
}

void TestCommon::runHandler_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("no error") << 0 << true << QStringList();
    QTest::newRow("silent abort") << 1 << false << QStringList();
    QTest::newRow("error with Russian text")
        << 2 << false << QStringList{"Некорректное значение в поле"};
    QTest::newRow("library exception") << 3 << false << QStringList{"stoi"};
    QTest::newRow("not an exception") << 4 << false << QStringList{"Неизвестная ошибка"};
}

void TestCommon::runHandler() {
    QFETCH(int, kind);
    QFETCH(bool, completed);
    QFETCH(QStringList, shown);
    bool after = false;
    const bool r = RunHandler(nullptr, [&] {
        switch (kind) {
        case 1:
            throw EAbort();
        case 2:
            throw EError(QStringLiteral("Некорректное значение в поле"));
        case 3:
            (void)std::stoi("x");
            break;
        case 4:
            throw 42;
        }
        after = true;
    });
    QCOMPARE(r, completed);
    QCOMPARE(after, completed);
    QCOMPARE(FShown, shown);
}

namespace {
class Thrower : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw EError(QStringLiteral("Ошибка в обработчике"));
        return QObject::event(e);
    }
};
} // namespace

void TestCommon::notifyCatchesWhatEscapesASlot() {
    Thrower t;
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&t, &e); // would end the program without the net
    QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(FShown, QStringList({"Ошибка в обработчике", "Ошибка в обработчике"}));
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestCommon t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_common.moc"
