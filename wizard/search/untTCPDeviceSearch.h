#pragma once
// The network search of the wizard: a passive UDP listener that collects the
// announcements registers send on the local network.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QUdpSocket;
class TTCPSearchItems;

// Reads one announcement: serial number, address and TCP port. False when
// the datagram lacks a key or a separator, is cut short, or its port is not a
// decimal number in 0..65535 (the datagram is then ignored).
bool ParseAnnouncement(const QByteArray& datagram, QString* serial, QString* ip, int* port);

// One register found on the network.
class TTCPSearchItem {
public:
    TTCPSearchItem(TTCPSearchItems* owner, QString serial, QString ip, int port)
        : FOwner(owner), FSerial(std::move(serial)), FPort(port), FIP(std::move(ip)) {}
    TTCPSearchItems* Owner() const { return FOwner; }
    const QString& Serial() const { return FSerial; }
    int Port() const { return FPort; }
    const QString& IP() const { return FIP; }

private:
    TTCPSearchItems* FOwner;
    QString FSerial;
    int FPort;
    QString FIP;
};

// The registers found, in the order they announced themselves; owns them.
class TTCPSearchItems {
public:
    TTCPSearchItem* Add(const QString& serial, const QString& ip, int port);
    void Clear() { FItems.clear(); }
    int Count() const { return int(FItems.size()); }
    TTCPSearchItem* Items(int index) const { return FItems.at(size_t(index)).get(); }
    // The first item with this serial number, or nullptr.
    TTCPSearchItem* FindBySerial(const QString& serial) const;

private:
    std::vector<std::unique_ptr<TTCPSearchItem>> FItems;
};

// The listener. Datagrams are handled on the thread the object lives on (the
// window thread), so the items and the step's list need no lock.
class TTCPDeviceSearch : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kAnnouncePort = 16327;
    using TFoundEvent = std::function<void(TTCPSearchItem*)>;

    // Inactive until Start; `port` other than the default serves tests.
    explicit TTCPDeviceSearch(QObject* parent = nullptr, quint16 port = kAnnouncePort);
    ~TTCPDeviceSearch() override;

    // Starts listening; false when the port cannot be bound (another
    // listener holds it).
    bool Start();
    // Stops listening and forgets the items found.
    void Stop();
    bool Active() const;

    TTCPSearchItems& Items() { return FItems; }
    // Called with each new register (a serial not seen since Start).
    void SetOnFound(TFoundEvent handler) { FOnFound = std::move(handler); }
    // One datagram, as if it had arrived.
    void HandleDatagram(const QByteArray& datagram);

private:
    void ReadPending();

    QUdpSocket* FServer;
    quint16 FPort;
    TTCPSearchItems FItems;
    TFoundEvent FOnFound;
};
