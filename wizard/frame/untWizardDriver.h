#pragma once
// The wizard's one driver object and the routines through which every step
// reads and writes device tables, sends fiscal tags and turns a non-zero
// result code into an error.

#include "driver/TLedgra.h"

#include <QString>
#include <functional>
#include <memory>

// Creates the driver object if it does not exist yet (with
// OFDExchangeSuspended set). Raises EError when the component cannot be
// created.
void CreateDriverObject();
void FreeDriverObject();
bool DriverObjectExists();
// The driver object; created on first use.
TLedgra& WizardDriver();
// A reference that keeps the object alive while a worker thread uses it.
std::shared_ptr<TLedgra> WizardDriverRef();

// 0 does nothing; any other code raises "Ошибка <code>, <description>".
void CheckResult(int code);

// Tables 18, 19 and 24 live under model-specific numbers (model parameters
// 72, 73 and 75); any other number is used as given.
int MapTableNumber(int table);
void TableWriteStr(int table, int row, int field, const QString& text);
// Writes the decimal text into a text field, the number into a number field.
void TableWriteInt(int table, int row, int field, int value);
void TableWriteIntRaw(int table, int field, int value);
QString TableReadStr(int table, int row, int field);
int TableReadInt(int table, int row, int field);
// As the two above, but a field the register answers with 93 reads as empty
// text or 0.
QString TableReadStrOpt(int table, int row, int field);
int TableReadIntOpt(int table, int row, int field);

bool AltTableLayout();
bool IsModel19();
int ReadFFDVersion();
void WriteFFDVersion(int version);

void TagSendStr(int tag, const QString& text);
void TagSendByte(int tag, int value);

// Calls the method again while the register answers busy (80 or 75), 50 ms
// apart and keeping the window alive, for at most kBusyRetryLimitMs; the last
// answer goes through CheckResult.
inline constexpr int kBusyRetryLimitMs = 60000;
void CallWithBusyRetry(const std::function<int()>& call, int limitMs = kBusyRetryLimitMs);
void FNBeginRegistrationReportRetry();
void FNBuildRegistrationReportRetry();
void FNBuildReregistrationReportRetry();
