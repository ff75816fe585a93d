#pragma once
// The schema of the register's device tables: every table with its rows and
// fields (type, size in bytes, range, default). Table numbers here are the
// logical ones the programs use; a model profile may keep the fiscal storage,
// operator and automat tables (18, 19, 24) under other numbers, and
// VRTableSchema::Physical/Logical translate between the two.

#include <QString>
#include <array>
#include <vector>

class VRStore;
struct VRProfileInfo;

struct VRFieldDef {
    int number;
    QString name;
    bool isString;
    int size;   // bytes; text is kept in a one-byte code page, one character a byte
    qint64 min; // number fields only; fields are unsigned
    qint64 max;
    QString def;   // the default as text; "%1" stands for the row number
    bool reserved; // a gap in the field numbers, kept as a number
};

struct VRTableDef {
    int number;
    QString name;
    int rows;
    std::vector<VRFieldDef> fields; // fields[i].number == i + 1
};

namespace VRTableSchema {
// Every table, numbered 1..Tables().size() without gaps.
const std::vector<VRTableDef>& Tables();
const VRTableDef* Table(int logical);
const VRFieldDef* Field(int logical, int field);
// The default of a cell as text (decimal for a number field).
QString DefaultText(int logical, int row, const VRFieldDef& f);

// The number the profile shows a logical table under, and back.
int Physical(const VRProfileInfo& p, int logical);
int Logical(const VRProfileInfo& p, int physical);
} // namespace VRTableSchema

// The cells of the tables for the register's other modules, by logical table
// number. A cell keeps its schema default until written; only written cells
// are stored, so restoring the defaults forgets them.
namespace VRTables {
// 0 / empty text for a cell the schema lacks; a number field's text is its decimal.
qint64 ReadInt(VRStore& s, int table, int row, int field);
QString ReadStr(VRStore& s, int table, int row, int field);
// Check type, range and size as the WriteTable command does; give a result
// code (0, or NoSuchTable / BadParameters). A text written to a number field
// must be a decimal number; a number written to a text field becomes its text.
int WriteInt(VRStore& s, int table, int row, int field, qint64 value);
int WriteStr(VRStore& s, int table, int row, int field, const QString& value);
// Every table back to its defaults.
void Reset(VRStore& s);

// The network link (tables 16 and 21). With DHCP on (16/1/1 = 0) the DHCP
// state 16/1/2 reads kDhcpObtained once kDhcpDelayMs have passed since the
// lease began, and 0 before: the lease begins when the register is first
// looked at, when DHCP is switched on (16/1/1 written 0) and at SetNetworkLink.
// With a static address the state keeps what was written.
inline constexpr int kDhcpObtained = 10;
inline constexpr int kDhcpDelayMs = 1500;
void RestartDhcp(VRStore& s);
// A server of the register starts (vregisterd): the lease begins, and with
// DHCP on the address obtained is the one it listens on (16/1/3..6); its TCP
// port goes to 21/1/4 (0: left as it is).
void SetNetworkLink(VRStore& s, const std::array<int, 4>& address, int tcpPort);
} // namespace VRTables
