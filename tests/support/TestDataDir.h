#pragma once
// A fresh component folder for one test: LEDGRA_DATA_DIR points into a
// temporary folder that is removed with the object.

#include <QString>
#include <QTemporaryDir>

class TestDataDir {
public:
    TestDataDir();
    ~TestDataDir();
    QString Path() const { return FDir.path(); }
    QString File(const QString& name) const { return FDir.filePath(name); }

private:
    QTemporaryDir FDir;
    QByteArray FOld;
};
