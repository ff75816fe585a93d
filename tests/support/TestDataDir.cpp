#include "tests/support/TestDataDir.h"

TestDataDir::TestDataDir() : FOld(qgetenv("LEDGRA_DATA_DIR")) {
    qputenv("LEDGRA_DATA_DIR", FDir.path().toUtf8());
}

TestDataDir::~TestDataDir() {
    if (FOld.isEmpty())
        qunsetenv("LEDGRA_DATA_DIR");
    else
        qputenv("LEDGRA_DATA_DIR", FOld);
}
