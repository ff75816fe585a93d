#pragma once
// All registration data of one wizard run: the steps fill it, the
// registration writes it into the register, the result step completes it with
// what the register returned.

#include <QDateTime>
#include <QString>

struct TRegParams {
    bool FirstTime = false;
    bool OFDEnabled = false;
    bool NewFN = false;
    QString INN;
    QString RNM;
    QString User;
    QString Cashier;
    QString Address;
    quint8 TaxSystem = 255;  // bit 0 ОСН .. bit 5 ПСН
    quint8 Agent = 255;      // bit 0 bank payment agent .. bit 6 other agent
    quint8 WorkMode = 255;   // bit 0 encryption .. bit 7 wholesale
    quint8 WorkModeEx = 255; // bit 0 excise goods .. bit 7 vending machine
    QString AutomatNumber;
    int ReasonCode = 255;
    int FFD = 255; // 2 = 1.05, 4 = 1.2
    QString TaxOfficeURL;
    QString SenderEmail;
    QString PayPlace;
    QString OFDName;
    QString OFDUrl;
    QString OFDINN;
    QString OFDServer;
    int OFDPort = 0;
    QString CashierINN;
    QString X5FactoryCode;
    int DocType = 0; // 1 registration report, 2 re-registration report
    bool PrinterInAutomat = false;
    QString FNSerial;
    QString KKTSerial;
    QDateTime DateTime;
    int DocNumber = 0;
    QString FiscalSign;
    QString VersionKKT = QStringLiteral("001");
    bool LotterySign = false;
    bool GameSign = false;
    bool ExciseSign = false;
    bool DeliveryTradeSign = false;
    bool PayTerminalSign = false;
    quint32 ReasonCodesEx = 0; // bit n = reason n + 1
    QString ServerKM;
    int PortKM = 0;
};
