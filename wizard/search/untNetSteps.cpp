#include "wizard/search/untNetSteps.h"

#include "platform/LedgraErrors.h"
#include "wizard/frame/untWizardDriver.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace NetSteps {

namespace {

const QString kOctet = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");

// The label's text without the closing colon, for the messages.
QString FieldName(const QLabel* label) {
    QString name = label ? label->text().trimmed() : QString();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

} // namespace

void SetupAddressEdit(QLineEdit* edit) {
    // Partial input stays typeable; CheckedAddress decides on the whole.
    const QString partial = QStringLiteral("(%1(\\.(%1)?){0,3})?").arg(kOctet);
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^%1$").arg(partial)), edit));
    edit->setMaxLength(15);
}

void SetupPortEdit(QLineEdit* edit) {
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^[0-9]{0,5}$")), edit));
    edit->setMaxLength(5);
}

TOctets CheckedAddress(const QLineEdit* edit, const QLabel* label) {
    static const QRegularExpression whole(QStringLiteral("^%1\\.%1\\.%1\\.%1$").arg(kOctet));
    const QString text = edit->text().trimmed();
    const QRegularExpressionMatch m = whole.match(text);
    if (!m.hasMatch())
        throw EError(QStringLiteral("Неверный адрес в поле \"%1\": \"%2\"\r\n"
                                    "Введите четыре числа от 0 до 255 через точку, "
                                    "например 192.168.1.10")
                         .arg(FieldName(label), text));
    const QStringList parts = text.split(QLatin1Char('.'));
    TOctets octets{};
    for (int i = 0; i < 4; ++i)
        octets[size_t(i)] = parts[i].toInt();
    return octets;
}

int CheckedPort(const QLineEdit* edit, const QLabel* label) {
    bool ok = false;
    const QString text = edit->text().trimmed();
    const int port = text.toInt(&ok);
    if (!ok || port < 0 || port > 65535)
        throw EError(QStringLiteral("Неверный порт в поле \"%1\": \"%2\"\r\n"
                                    "Введите число от 0 до 65535")
                         .arg(FieldName(label), text));
    return port;
}

QString ReadAddress(int firstField) {
    int o[4];
    for (int i = 0; i < 4; ++i)
        o[i] = TableReadInt(kNetTable, 1, firstField + i);
    return QStringLiteral("%1.%2.%3.%4").arg(o[0]).arg(o[1]).arg(o[2]).arg(o[3]);
}

void WriteAddress(int firstField, const TOctets& octets) {
    for (int i = 0; i < 4; ++i)
        TableWriteInt(kNetTable, 1, firstField + i, octets[size_t(i)]);
}

void SetupAddressEdits(const TAddressEdits& e) {
    for (QLineEdit* edit : {e.ip, e.mask, e.gateway, e.dns})
        SetupAddressEdit(edit);
}

void EnableAddressEdits(const TAddressEdits& e, bool enable) {
    for (QWidget* w : std::initializer_list<QWidget*>{e.ip, e.lblIP, e.mask, e.lblMask, e.gateway,
                                                      e.lblGateway, e.dns, e.lblDNS})
        w->setEnabled(enable);
}

void LoadAddressEdits(const TAddressEdits& e) {
    e.ip->setText(ReadAddress(kAddressField));
    e.gateway->setText(ReadAddress(kGatewayField));
    e.mask->setText(ReadAddress(kMaskField));
    e.dns->setText(ReadAddress(kDnsField));
}

TStaticAddress CheckedStaticAddress(const TAddressEdits& e) {
    TStaticAddress a;
    a.address = CheckedAddress(e.ip, e.lblIP);
    a.text = e.ip->text().trimmed();
    a.mask = CheckedAddress(e.mask, e.lblMask);
    a.gateway = CheckedAddress(e.gateway, e.lblGateway);
    return a;
}

void WriteStaticAddress(const TStaticAddress& a) {
    WriteAddress(kAddressField, a.address);
    WriteAddress(kGatewayField, a.gateway);
    WriteAddress(kMaskField, a.mask);
}

TDisconnectGuard::~TDisconnectGuard() {
    try {
        WizardDriver().Disconnect();
    } catch (...) {
        // A missing component has nothing to disconnect.
    }
}

void ShowInfo(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

} // namespace NetSteps
