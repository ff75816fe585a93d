#include "platform/Translation.h"

#include <libintl.h>

QString Tr(const char* text, const char*) {
    if (!text || !*text)
        return QString();
    return QString::fromUtf8(dgettext(kTextDomain, text));
}
