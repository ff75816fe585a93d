#pragma once
// What the network steps share: address and port fields checked before
// anything is written, the register's addresses read from and written to
// table 16, the disconnect that ends every step's device work, and the
// information box.

#include <QString>
#include <array>

class QLabel;
class QLineEdit;
class QWidget;

namespace NetSteps {

// Table 16 row 1: address mode, then four octets each of the address,
// gateway, mask and DNS; table 21 row 1: the link settings.
inline constexpr int kNetTable = 16;
inline constexpr int kNetMode = 1;
inline constexpr int kAddressField = 3;
inline constexpr int kGatewayField = 7;
inline constexpr int kMaskField = 11;
inline constexpr int kDnsField = 15;
inline constexpr int kLinkTable = 21;
inline constexpr int kLinkTcp = 3;
inline constexpr int kLinkPort = 4;
inline constexpr int kLinkWiFi = 6;
inline constexpr int kLinkWiFiName = 7;
inline constexpr int kLinkWiFiPassword = 8;
inline constexpr int kLinkRNDIS = 9;
// Table 22 row 1: WiFi addressing, its addresses as text.
inline constexpr int kWiFiTable = 22;
inline constexpr int kWiFiMode = 1;
inline constexpr int kWiFiAddress = 2;
inline constexpr int kWiFiMask = 3;
inline constexpr int kWiFiGateway = 4;
inline constexpr int kWiFiDns = 5;

using TOctets = std::array<int, 4>;

// An address field takes dotted IPv4 text only; a port field digits only.
void SetupAddressEdit(QLineEdit* edit);
void SetupPortEdit(QLineEdit* edit);

// The field's address; raises EError naming the field (its label's text)
// when it is not a whole IPv4 address.
TOctets CheckedAddress(const QLineEdit* edit, const QLabel* label);
// The field's port; raises EError unless it is a number 0..65535.
int CheckedPort(const QLineEdit* edit, const QLabel* label);

// "%d.%d.%d.%d" of four table 16 fields from firstField on.
QString ReadAddress(int firstField);
// The four octets into table 16 fields from firstField on, first octet first.
void WriteAddress(int firstField, const TOctets& octets);

// The address, mask, gateway and DNS fields of a step, with their labels.
struct TAddressEdits {
    QLineEdit* ip;
    QLabel* lblIP;
    QLineEdit* mask;
    QLabel* lblMask;
    QLineEdit* gateway;
    QLabel* lblGateway;
    QLineEdit* dns;
    QLabel* lblDNS;
};
// The fields of a generated form that names them edtIP, lblIP, ...
template <class TUi> TAddressEdits AddressEdits(TUi* ui) {
    return {ui->edtIP,      ui->lblIP,      ui->edtMask, ui->lblMask,
            ui->edtGateway, ui->lblGateway, ui->edtDNS,  ui->lblDNS};
}
void SetupAddressEdits(const TAddressEdits& e);
// DHCP on switches the four fields and their labels off.
void EnableAddressEdits(const TAddressEdits& e, bool enable);
// The register's address, gateway, mask and DNS from table 16 into the fields.
void LoadAddressEdits(const TAddressEdits& e);

// A static address as the steps write it: checked before anything is written.
struct TStaticAddress {
    QString text;
    TOctets address;
    TOctets gateway;
    TOctets mask;
};
TStaticAddress CheckedStaticAddress(const TAddressEdits& e);
// Address, gateway and mask into table 16 (DNS stays as the register has it).
void WriteStaticAddress(const TStaticAddress& a);

// Disconnects the wizard's driver object when the scope ends, also on an error.
class TDisconnectGuard {
public:
    TDisconnectGuard() = default;
    TDisconnectGuard(const TDisconnectGuard&) = delete;
    TDisconnectGuard& operator=(const TDisconnectGuard&) = delete;
    ~TDisconnectGuard();
};

// An information box with the program's caption.
void ShowInfo(QWidget* parent, const QString& text);

} // namespace NetSteps
