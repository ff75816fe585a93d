#include "driver/ResultCodes.h"

#include <QHash>

namespace {
const QHash<int, QString>& Texts() {
    static const QHash<int, QString> texts = {
#define LEDGRA_RESULT(Code, Name, Text) {Code, QStringLiteral(Text)},
#include "driver/LedgraResultCodes.def"
    };
    return texts;
}
} // namespace

namespace Ledgra {
QString ResultText(int code) {
    const auto& t = Texts();
    const auto it = t.constFind(code);
    if (it != t.constEnd())
        return *it;
    return QStringLiteral("Неизвестная ошибка (%1)").arg(code);
}
bool HasResultText(int code) {
    return Texts().contains(code);
}
} // namespace Ledgra
