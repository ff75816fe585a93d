#pragma once
// The virtual register's fiscal storage (ФН): its life cycle, registrations,
// the archive of fiscal documents with their numbers and fiscal signs, shifts
// and the queue of documents the fiscal data operator has not confirmed yet.
// Receipts and reports of other modules make their fiscal documents through
// CanMakeDocument / MakeDocument, inside the method's transaction.

#include <QDateTime>
#include <QString>
#include <QVariantMap>
#include <optional>

class VRStore;

namespace VRFiscal {

// FNLifeState values: one more bit set at each phase.
enum Phase {
    PhaseReady = 0x01,       // set up, waiting for the registration
    PhaseFiscal = 0x03,      // fiscal mode open
    PhaseClosed = 0x07,      // fiscal mode closed, documents still to transfer
    PhaseTransferred = 0x0F, // every document transferred to the operator
};

// Document types as the archive gives them (tag 1000).
enum DocType {
    DocRegistration = 1,
    DocOpenShift = 2,
    DocReceipt = 3,
    DocCloseShift = 5,
    DocCloseFiscalMode = 6,
    DocReregistration = 11,
    DocCalculationState = 21,
    DocCorrectionReceipt = 31,
};

// How many registrations (the first one included) one storage takes.
constexpr int kMaxRegistrations = 12;
// Receipts of the shift: receipts add one to this state key.
inline constexpr char kReceiptNumberKey[] = "session.receipt_number";

int LifeState(VRStore& s);
QString FnSerial(VRStore& s);

// 0 when a fiscal document may be made now, else the storage's error code:
// no open fiscal mode, or (needShift) no open shift or one over 24 hours.
int CanMakeDocument(VRStore& s, const QDateTime& now, bool needShift);

struct Document {
    int number = 0;
    quint32 fiscalSign = 0;
};
// Stores the next document of the archive; `props` are driver property names
// with their values, given back by FNFindDocument. A receipt keeps its
// "OperationType" and its sum "Summ1" (a Currency or its text): the QR code
// and the document's tags read them.
Document MakeDocument(VRStore& s, const QDateTime& now, int type, const QVariantMap& props);

// The fiscal sign of a document: ten decimal digits from its content and the
// storage's secret.
quint32 FiscalSign(const QByteArray& secret, int type, int number, qint64 time,
                   const QByteArray& content);

// Checks of the registration data.
bool ValidInn(const QString& inn);
// The registration number for an ordinal number, ИНН and register serial.
QString MakeRnm(const QString& ordinal, const QString& inn, const QString& serial);
bool ValidRnm(const QString& rnm, const QString& inn, const QString& serial);

// Service commands: a fresh storage, and the operator's link; online, the
// operator confirms a document confirmDelay seconds after it is made.
void Replace(VRStore& s, const QDateTime& now);
// The raw commands of the storage (the marking-code key update); nullopt for
// a command that is not the storage's. The answer's bytes go to `answer`.
std::optional<int> RawCommand(VRStore& s, const QDateTime& now, const QByteArray& command,
                              QByteArray* answer);
void SetOnline(VRStore& s, bool online, int confirmDelay = 1);
bool Online(VRStore& s);

} // namespace VRFiscal
