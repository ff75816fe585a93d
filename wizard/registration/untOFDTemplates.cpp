#include "wizard/registration/untOFDTemplates.h"

#include "platform/LedgraErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString kRoot = QStringLiteral("OFDParams");
// The operator whose template the list offers first.
const QString kPreferredOperator = QString::fromUtf8("ЯРУС (ОФД-Я)");

// The elements of a template in file order, with the field each one holds.
struct TElement {
    const char* name;
    QString TOFDTemplate::*field;
};
const TElement kElements[] = {
    {"OFDServer", &TOFDTemplate::OFDServer},     {"OFDPort", &TOFDTemplate::OFDPort},
    {"OFDName", &TOFDTemplate::OFDName},         {"OFDUrl", &TOFDTemplate::OFDUrl},
    {"INNOFD", &TOFDTemplate::INNOFD},           {"TaxOfficeURL", &TOFDTemplate::TaxOfficeURL},
    {"ServerKM", &TOFDTemplate::ServerKM},       {"PortKM", &TOFDTemplate::PortKM},
    {"SenderEmail", &TOFDTemplate::SenderEmail},
};

} // namespace

QStringList OFDTemplateFolders() {
    QStringList folders;
    for (const QString& base :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir(base).filePath(QLatin1String(kTemplateSubfolder));
    return folders;
}

QString OFDTemplateWriteFolder() {
    const QString folder =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QLatin1String(kTemplateSubfolder));
    QDir().mkpath(folder);
    return folder;
}

QString OFDTemplateName(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

QStringList ListOFDTemplates(const QStringList& folders) {
    QStringList files;
    QSet<QString> names;
    for (const QString& folder : folders) {
        const QFileInfoList found =
            QDir(folder).entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
        for (const QFileInfo& info : found) {
            if (names.contains(info.fileName()))
                continue;
            names.insert(info.fileName());
            files << info.filePath();
        }
    }
    for (qsizetype i = files.size() - 1; i >= 0; --i) {
        if (files[i].contains(kPreferredOperator)) {
            files.move(i, 0);
            break;
        }
    }
    return files;
}

std::optional<TOFDTemplate> ReadOFDTemplate(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QXmlStreamReader xml(&file);
    if (!xml.readNextStartElement() || xml.name() != kRoot)
        return std::nullopt;
    TOFDTemplate values;
    QSet<QString> seen;
    while (xml.readNextStartElement()) {
        const QString name = xml.name().toString();
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        if (seen.contains(name))
            continue; // the first of a name counts
        seen.insert(name);
        for (const TElement& e : kElements)
            if (name == QLatin1String(e.name))
                values.*e.field = text;
    }
    // A broken file loads nothing rather than half a template.
    if (xml.hasError())
        return std::nullopt;
    return values;
}

void WriteOFDTemplate(const QString& path, const TOFDTemplate& values) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        QXmlStreamWriter xml(&file);
        xml.setAutoFormatting(true);
        xml.writeStartDocument(QStringLiteral("1.0"));
        xml.writeStartElement(kRoot);
        for (const TElement& e : kElements)
            xml.writeTextElement(QLatin1String(e.name), values.*e.field);
        xml.writeEndElement();
        xml.writeEndDocument();
        if (!xml.hasError() && file.commit())
            return;
    }
    throw EError(QString::fromUtf8("Не удалось сохранить шаблон в файл ") + path);
}
