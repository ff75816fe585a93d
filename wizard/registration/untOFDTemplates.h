#pragma once
// Operator templates: small XML files with the settings of one fiscal data
// operator, kept in the wizard's template folders.

#include <QString>
#include <QStringList>
#include <optional>

// The values of one template, as the operator step shows them.
struct TOFDTemplate {
    QString OFDServer;
    QString OFDPort;
    QString OFDName;
    QString OFDUrl;
    QString INNOFD;
    QString TaxOfficeURL;
    QString ServerKM;
    QString PortKM;
    QString SenderEmail;

    bool operator==(const TOFDTemplate&) const = default;
};

// Below every shared data folder (the user's first).
inline constexpr char kTemplateSubfolder[] = "TestLedgra/Enrolwiz/Templates";
// The folders templates are read from: every shared data folder's, the
// user's first.
QStringList OFDTemplateFolders();
// The user's folder, where templates are saved; created if missing.
QString OFDTemplateWriteFolder();

// The template files ("*.xml", not in subfolders) of the folders, by name; a
// name found in an earlier folder hides the same name in a later one. The
// last file whose path holds the operator marked first comes first.
QStringList ListOFDTemplates(const QStringList& folders);
// The name a template is listed under: its file name without extension.
QString OFDTemplateName(const QString& path);

// The template in the file; nothing when the file cannot be read or has no
// root element "OFDParams". A value missing from the file is empty.
std::optional<TOFDTemplate> ReadOFDTemplate(const QString& path);
// Raises EError when the file cannot be written.
void WriteOFDTemplate(const QString& path, const TOFDTemplate& values);
