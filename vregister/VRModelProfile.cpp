#include "vregister/VRModelProfile.h"

#include "vregister/VRStore.h"

#include <vector>

namespace {
const std::vector<VRProfileInfo>& Profiles() {
    static const std::vector<VRProfileInfo> p = [] {
        VRProfileInfo d;
        d.name = QStringLiteral("default");
        d.modelId = 67;
        d.description = QStringLiteral("ВИРТУАЛЬНАЯ ККТ-Ф");
        d.majorType = 0;
        d.minorType = 0;
        d.protocolMajor = 1;
        d.protocolMinor = 13;
        d.capFN = true;
        d.capCashCore = false;
        d.capSKNO = false;
        d.capLastPrintResult = true;
        d.fsTable = 18;
        d.ofdTable = 19;
        d.table24 = 24;
        d.firstDrawLine = 1;
        d.lastDrawLine = 1200;
        d.maxCmdLength = 256;
        d.maxLineWidth = 576;
        d.printChars = 48;
        d.softVersion = QStringLiteral("D.1");
        d.softBuild = 32513;
        d.softDate = QDate(2023, 5, 16);

        VRProfileInfo m254 = d;
        m254.name = QStringLiteral("model254");
        m254.modelId = 254;
        m254.description = QStringLiteral("ВИРТУАЛЬНАЯ ККТ-Ф 254");

        VRProfileInfo alt = d;
        alt.name = QStringLiteral("alt-tables");
        alt.fsTable = 14;
        alt.ofdTable = 15;
        alt.table24 = 25;

        VRProfileInfo nofn = d;
        nofn.name = QStringLiteral("no-fn");
        nofn.modelId = 16;
        nofn.description = QStringLiteral("ВИРТУАЛЬНАЯ ККТ ФП");
        nofn.capFN = false;
        nofn.softVersion = QStringLiteral("A.4");
        nofn.softDate = QDate(2016, 3, 1);
        nofn.lastDrawLine = 600; // an older printer: narrower tape, less graphics memory
        nofn.maxLineWidth = 384;
        nofn.printChars = 32;

        VRProfileInfo core = d;
        core.name = QStringLiteral("cashcore");
        core.capCashCore = true;
        core.capSKNO = true;
        return std::vector<VRProfileInfo>{d, m254, alt, nofn, core};
    }();
    return p;
}
} // namespace

namespace VRProfile {

const VRProfileInfo* Find(const QString& name) {
    for (const auto& p : Profiles())
        if (p.name == name)
            return &p;
    return nullptr;
}

QStringList Names() {
    QStringList r;
    for (const auto& p : Profiles())
        r << p.name;
    return r;
}

const VRProfileInfo& Current(VRStore& store) {
    const VRProfileInfo* p =
        Find(store.GetStr(QStringLiteral("profile"), QStringLiteral("default")));
    return p ? *p : Profiles().front();
}

} // namespace VRProfile
