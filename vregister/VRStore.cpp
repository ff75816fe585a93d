#include "vregister/VRStore.h"

#include "driver/ResultCodes.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {

// Each migration takes the schema from version n to n + 1; never edit one
// that has shipped, append a new one.
const char* const kMigrations[] = {
    // 0 -> 1
    "CREATE TABLE state (key TEXT PRIMARY KEY, value);"
    "CREATE TABLE table_values (tbl INTEGER, row INTEGER, field INTEGER, value, "
    "  PRIMARY KEY (tbl, row, field));"
    "CREATE TABLE faults (id INTEGER PRIMARY KEY AUTOINCREMENT, method TEXT NOT NULL, "
    "  code INTEGER NOT NULL, remaining INTEGER NOT NULL);"
    "CREATE TABLE delays (method TEXT PRIMARY KEY, ms INTEGER NOT NULL);",
    // 1 -> 2: the printer's paper tape, oldest record first, and the loaded fonts
    "CREATE TABLE tape (id INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL, "
    "  text TEXT NOT NULL DEFAULT '', font INTEGER NOT NULL DEFAULT 0, "
    "  wide INTEGER NOT NULL DEFAULT 0, arg INTEGER NOT NULL DEFAULT 0, data BLOB, "
    "  receipt INTEGER NOT NULL DEFAULT 1, journal INTEGER NOT NULL DEFAULT 0, "
    "  time INTEGER NOT NULL);"
    "CREATE TABLE fonts (number INTEGER PRIMARY KEY, char_width INTEGER NOT NULL, "
    "  char_height INTEGER NOT NULL, data BLOB NOT NULL);",
    // 2 -> 3: the cash (kind 0, ten-thousandths) and operation (kind 1)
    // registers, a row only once not zero; the ware base and its money registers
    "CREATE TABLE totals (kind INTEGER NOT NULL, reg INTEGER NOT NULL, value INTEGER NOT NULL, "
    "  PRIMARY KEY (kind, reg)) WITHOUT ROWID;"
    "CREATE TABLE wares (code INTEGER PRIMARY KEY, department INTEGER NOT NULL, "
    "  price INTEGER NOT NULL, name TEXT NOT NULL, tax1 INTEGER NOT NULL, "
    "  tax2 INTEGER NOT NULL, tax3 INTEGER NOT NULL, tax4 INTEGER NOT NULL);"
    "CREATE TABLE ware_totals (code INTEGER NOT NULL, reg INTEGER NOT NULL, "
    "  value INTEGER NOT NULL, PRIMARY KEY (code, reg)) WITHOUT ROWID;",
    // 3 -> 4: the fiscal storages' archives, by storage serial; props holds
    // the document's data as driver property names and values (JSON)
    "CREATE TABLE fn_documents (fn TEXT NOT NULL, number INTEGER NOT NULL, "
    "  type INTEGER NOT NULL, time INTEGER NOT NULL, sign INTEGER NOT NULL, "
    "  props TEXT NOT NULL, confirmed INTEGER NOT NULL DEFAULT 0, "
    "  PRIMARY KEY (fn, number)) WITHOUT ROWID;",
};
static_assert(std::size(kMigrations) == VRStore::kSchemaVersion);

bool IsCorruption(int rc) {
    rc &= 0xff;
    return rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT;
}

} // namespace

VRStore::VRStore(const QString& path) : FPath(path) {
    try {
        Open();
    } catch (const EStore&) {
        Close();
        throw;
    }
}

VRStore::~VRStore() {
    Close();
}

void VRStore::Close() {
    for (auto& [sql, st] : FStatements)
        sqlite3_finalize(st);
    FStatements.clear();
    if (FDb)
        sqlite3_close_v2(FDb);
    FDb = nullptr;
}

void VRStore::Open() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        int rc = sqlite3_open_v2(QFile::encodeName(FPath).constData(), &FDb,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
        if (rc != SQLITE_OK)
            Fail("open");
        sqlite3_busy_timeout(FDb, 10000);
        sqlite3_extended_result_codes(FDb, 1);
        try {
            Exec("PRAGMA journal_mode=WAL");
            Exec("PRAGMA synchronous=FULL");
            Exec("PRAGMA foreign_keys=ON");
            const auto check = Scalar("PRAGMA quick_check");
            if (!check || check->toString() != QLatin1String("ok"))
                throw EStore(int(RC::StoreCorrupt), QStringLiteral("quick_check"));
            Migrate();
            return;
        } catch (const EStore& e) {
            if (e.Code() != int(RC::StoreCorrupt) || attempt > 0)
                throw;
        }
        // Set the unreadable file aside under a new name; never replace it silently.
        Close();
        const QString aside =
            FPath + QStringLiteral(".corrupt-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
        if (!QFile::rename(FPath, aside))
            throw EStore(int(RC::StoreError), QStringLiteral("cannot set aside %1").arg(FPath));
        for (const char* suffix : {"-wal", "-shm"})
            QFile::rename(FPath + QLatin1String(suffix), aside + QLatin1String(suffix));
        FSetAside = aside;
    }
}

void VRStore::Migrate() {
    Transaction t(*this);
    const int version = int(Scalar("PRAGMA user_version")->toLongLong());
    if (version > kSchemaVersion)
        throw EStore(int(RC::StoreError),
                     QStringLiteral("database of a newer version (%1)").arg(version));
    for (int v = version; v < kSchemaVersion; ++v) {
        char* err = nullptr;
        if (sqlite3_exec(FDb, kMigrations[v], nullptr, nullptr, &err) != SQLITE_OK) {
            const QString msg = QString::fromUtf8(err ? err : "");
            sqlite3_free(err);
            throw EStore(int(RC::StoreError), msg);
        }
        Exec(QStringLiteral("PRAGMA user_version=%1").arg(v + 1).toUtf8().constData());
    }
    t.Commit();
}

QString VRStore::TakeSetAsideReport() {
    return std::exchange(FSetAside, QString());
}

void VRStore::Fail(const char* what, sqlite3_stmt* reset) {
    const int rc = FDb ? sqlite3_extended_errcode(FDb) : SQLITE_CANTOPEN;
    const QString msg = QStringLiteral("%1: %2").arg(
        QString::fromLatin1(what), QString::fromUtf8(FDb ? sqlite3_errmsg(FDb) : "open"));
    if (reset) {
        // A cached statement must be ready for its next use.
        sqlite3_reset(reset);
        sqlite3_clear_bindings(reset);
    }
    if (IsCorruption(rc))
        throw EStore(int(RC::StoreCorrupt), msg);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        throw EStore(int(RC::StoreBusy), msg);
    throw EStore(int(RC::StoreError), msg);
}

sqlite3_stmt* VRStore::Prepare(const char* sql, const std::vector<QVariant>& args) {
    sqlite3_stmt*& st = FStatements[sql];
    if (!st &&
        sqlite3_prepare_v3(FDb, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) {
        FStatements.erase(sql);
        Fail("prepare");
    }
    for (size_t i = 0; i < args.size(); ++i) {
        const QVariant& a = args[i];
        const int idx = int(i) + 1;
        switch (a.typeId()) {
        case QMetaType::UnknownType:
            sqlite3_bind_null(st, idx);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            sqlite3_bind_int64(st, idx, a.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(st, idx, a.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = a.toByteArray();
            sqlite3_bind_blob(st, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray s = a.toString().toUtf8();
            sqlite3_bind_text(st, idx, s.constData(), int(s.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    return st;
}

void VRStore::Exec(const char* sql, const std::vector<QVariant>& args) {
    Query(sql, args);
}

std::vector<std::vector<QVariant>> VRStore::Query(const char* sql,
                                                  const std::vector<QVariant>& args) {
    sqlite3_stmt* st = Prepare(sql, args);
    std::vector<std::vector<QVariant>> rows;
    for (;;) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            Fail("step", st);
        const int n = sqlite3_column_count(st);
        std::vector<QVariant> row;
        row.reserve(size_t(n));
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                row.emplace_back(qlonglong(sqlite3_column_int64(st, c)));
                break;
            case SQLITE_FLOAT:
                row.emplace_back(sqlite3_column_double(st, c));
                break;
            case SQLITE_TEXT:
                row.emplace_back(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                      sqlite3_column_bytes(st, c)));
                break;
            case SQLITE_BLOB:
                row.emplace_back(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, c)),
                                            sqlite3_column_bytes(st, c)));
                break;
            default:
                row.emplace_back();
                break;
            }
        }
        rows.push_back(std::move(row));
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    return rows;
}

std::optional<QVariant> VRStore::Scalar(const char* sql, const std::vector<QVariant>& args) {
    auto rows = Query(sql, args);
    if (rows.empty() || rows.front().empty())
        return std::nullopt;
    return rows.front().front();
}

qint64 VRStore::Changes() const {
    return sqlite3_changes64(FDb);
}

QVariant VRStore::Get(const QString& key, const QVariant& def) {
    auto v = Scalar("SELECT value FROM state WHERE key = ?1", {key});
    return v ? *v : def;
}

qint64 VRStore::GetInt(const QString& key, qint64 def) {
    return Get(key, def).toLongLong();
}
QString VRStore::GetStr(const QString& key, const QString& def) {
    return Get(key, def).toString();
}

void VRStore::Set(const QString& key, const QVariant& value) {
    Exec("INSERT INTO state (key, value) VALUES (?1, ?2) "
         "ON CONFLICT(key) DO UPDATE SET value = excluded.value",
         {key, value});
}

VRStore::Transaction::Transaction(VRStore& s) : FStore(s) {
    FStore.Exec("BEGIN IMMEDIATE");
}

VRStore::Transaction::~Transaction() {
    if (!FDone)
        sqlite3_exec(FStore.FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

void VRStore::Transaction::Commit() {
    FStore.Exec("COMMIT");
    FDone = true;
}
