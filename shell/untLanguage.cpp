#include "shell/untLanguage.h"

#include "platform/DataPaths.h"
#include "platform/Translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <clocale>
#include <cstdlib>
#include <libintl.h>
#include <optional>

extern "C" int _nl_msg_cat_cntr; // glibc: bumped to drop cached translations

namespace {
QString LocaleFile() {
    return Platform::LedgraDataDir() + QStringLiteral("/locale.ini");
}

const QString kLangKey = QStringLiteral("Locale/Lang");

// gettext ignores LANGUAGE under the "C" and "POSIX" locales.
bool MessagesLocaleIsC() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) {
            const QByteArray value(v);
            return value == "C" || value == "POSIX";
        }
    }
    return true;
}
} // namespace

QString GetLanguage() {
    static std::optional<QString> cached;
    if (!cached) {
        const QSettings ini(LocaleFile(), QSettings::IniFormat);
        const QString code = ini.value(kLangKey).toString();
        cached = code == QLatin1String("EN") ? code : QStringLiteral("RU");
    }
    return *cached;
}

void SetLanguage(const QString& code) {
    QSettings ini(LocaleFile(), QSettings::IniFormat);
    ini.setValue(kLangKey, code);
}

QStringList CatalogueDirs() {
    QStringList dirs{QStringLiteral("./locale")};
    if (QCoreApplication::instance())
        dirs << QCoreApplication::applicationDirPath() + QStringLiteral("/locale")
             << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/locale");
    dirs << QStringLiteral(VEXA_LOCALE_DIR);
    return dirs;
}

void UseLanguage(const QString& code) {
    static QString used;
    if (used == code)
        return;
    used = code;
    // The first folder that holds a catalogue wins; else "./locale".
    QString dir = CatalogueDirs().constFirst();
    for (const QString& d : CatalogueDirs()) {
        if (QFileInfo::exists(d + QStringLiteral("/en/LC_MESSAGES/tallytest.mo"))) {
            dir = d;
            break;
        }
    }
    bindtextdomain(kTextDomain, QFile::encodeName(QDir(dir).absolutePath()).constData());
    bind_textdomain_codeset(kTextDomain, "UTF-8");
    textdomain(kTextDomain);
    if (code == QLatin1String("EN")) {
        if (MessagesLocaleIsC())
            std::setlocale(LC_MESSAGES, "C.UTF-8");
        qputenv("LANGUAGE", "en");
    } else {
        // Russian is the source text: no catalogue, whatever LANG says.
        qputenv("LANGUAGE", "ru");
    }
    ++_nl_msg_cat_cntr;
}

QString GetRes(const char* resString) {
    return Tr(resString);
}
