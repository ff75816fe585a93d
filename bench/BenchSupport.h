#pragma once
// What the widget benchmarks start with: offscreen widgets and the
// component's data in a fresh folder (removed at the end), both set before
// the application object exists, and the component class registered.

#include "ledgra/LedgraComponent.h"

#include <QApplication>
#include <QTemporaryDir>

class TBenchApp {
public:
    TBenchApp(int& argc, char** argv) : FApp(argc, argv) { Ledgra::RegisterComponentClass(); }
    QString DataPath() const { return FData.dir.path(); }

private:
    struct TData {
        TData() {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qputenv("LEDGRA_DATA_DIR", dir.path().toUtf8());
        }
        QTemporaryDir dir;
    };

    TData FData; // before FApp: the application reads the variables
    QApplication FApp;
};
