#pragma once
// Model profiles of the virtual register: which model it plays. The profile is
// kept in the register's state and chosen from the console and tests, so each
// path of the programs (model 254, a register without a fiscal storage, the
// alternative table layout...) can be reached.

#include <QDate>
#include <QString>
#include <QStringList>

class VRStore;

struct VRProfileInfo {
    QString name;
    int modelId;         // model parameter 32, UModel
    QString description; // UDescription
    int majorType, minorType;
    int protocolMajor, protocolMinor;
    bool capFN;              // 71: a fiscal storage (else the older fiscal memory)
    bool capCashCore;        // 28
    bool capSKNO;            // 57
    bool capLastPrintResult; // 50
    int fsTable;             // 72: the fiscal storage table (logical 18)
    int ofdTable;            // 73: the operator table (logical 19)
    int table24;             // 75: the table the programs call 24
    int firstDrawLine;       // 27: the first graphics line that may be loaded
    int lastDrawLine;        // 29
    int maxCmdLength;        // 53: bytes
    int maxLineWidth;        // 55: dots of a graphics line
    int printChars;          // 5: characters of a line in font 1
    QString softVersion;     // ECRSoftVersion
    int softBuild;           // ECRBuild
    QDate softDate;          // ECRSoftDate
};

namespace VRProfile {
const VRProfileInfo* Find(const QString& name);
QStringList Names();
// The register's profile ("default" until another is chosen).
const VRProfileInfo& Current(VRStore& store);
} // namespace VRProfile
