#include "wizard/search/untTCPDeviceSearch.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {

// The text from `from` up to the next ";" (exclusive); false when `from` is
// past the end or no ";" follows.
bool TakeUntilSemicolon(const QString& text, qsizetype from, QString* out) {
    if (from < 0 || from > text.size())
        return false;
    const qsizetype end = text.indexOf(QLatin1Char(';'), from);
    if (end < 0)
        return false;
    *out = text.mid(from, end - from);
    return true;
}

} // namespace

bool ParseAnnouncement(const QByteArray& datagram, QString* serial, QString* ip, int* port) {
    // Each byte one character.
    QString text = QString::fromLatin1(datagram);
    const QLatin1String kSN("SN"), kIP("IP"), kPort("port");
    if (!text.contains(kSN) || !text.contains(kIP) || !text.contains(kPort))
        return false;

    // The serial: three characters after "SN" (the key and one separator)
    // up to the next ";"; then the text is cut after its first ";".
    QString sn;
    if (!TakeUntilSemicolon(text, text.indexOf(kSN) + 3, &sn) || sn.isEmpty())
        return false;
    text = text.mid(text.indexOf(QLatin1Char(';')) + 1);

    // The address the same way after "IP"; then the text is cut one
    // character after its next ";".
    const qsizetype at = text.indexOf(kIP);
    QString address;
    if (at < 0 || !TakeUntilSemicolon(text, at + 3, &address) || address.isEmpty())
        return false;
    const qsizetype cut = text.indexOf(QLatin1Char(';')) + 2;
    if (cut > text.size())
        return false;
    text = text.mid(cut);

    // The port: from five characters after "port" (the key and one
    // separator) to the end, trimmed, a decimal number.
    const qsizetype p = text.indexOf(kPort);
    if (p < 0 || p + 5 > text.size())
        return false;
    bool ok = false;
    const int number = text.mid(p + 5).trimmed().toInt(&ok, 10);
    if (!ok || number < 0 || number > 65535)
        return false;

    *serial = sn;
    *ip = address;
    *port = number;
    return true;
}

TTCPSearchItem* TTCPSearchItems::Add(const QString& serial, const QString& ip, int port) {
    FItems.push_back(std::make_unique<TTCPSearchItem>(this, serial, ip, port));
    return FItems.back().get();
}

TTCPSearchItem* TTCPSearchItems::FindBySerial(const QString& serial) const {
    for (const auto& item : FItems)
        if (item->Serial() == serial)
            return item.get();
    return nullptr;
}

TTCPDeviceSearch::TTCPDeviceSearch(QObject* parent, quint16 port)
    : QObject(parent), FServer(new QUdpSocket(this)), FPort(port) {
    connect(FServer, &QUdpSocket::readyRead, this, &TTCPDeviceSearch::ReadPending);
}

TTCPDeviceSearch::~TTCPDeviceSearch() = default;

bool TTCPDeviceSearch::Start() {
    if (Active())
        return true;
    // Shared, so a second program listening on the same computer does not
    // keep this one from starting.
    return FServer->bind(QHostAddress::AnyIPv4, FPort,
                         QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
}

void TTCPDeviceSearch::Stop() {
    FServer->close();
    FItems.Clear();
}

bool TTCPDeviceSearch::Active() const {
    return FServer->state() == QAbstractSocket::BoundState;
}

void TTCPDeviceSearch::ReadPending() {
    while (FServer->hasPendingDatagrams())
        HandleDatagram(FServer->receiveDatagram().data());
}

void TTCPDeviceSearch::HandleDatagram(const QByteArray& datagram) {
    QString serial, ip;
    int port = 0;
    if (!ParseAnnouncement(datagram, &serial, &ip, &port))
        return;
    if (FItems.FindBySerial(serial))
        return;
    TTCPSearchItem* item = FItems.Add(serial, ip, port);
    if (FOnFound)
        FOnFound(item);
}
