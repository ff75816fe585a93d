#pragma once
// The virtual register's SQLite database: one file per register, WAL, a schema
// version with forward migrations, and no cached state, so several processes
// may use one register at once. Every method runs in one BEGIN IMMEDIATE
// transaction: a killed process loses nothing that was answered as done.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A database fault; code is a driver result code (StoreBusy, StoreError).
class EStore : public std::runtime_error {
public:
    EStore(int code, const QString& what) : std::runtime_error(what.toStdString()), FCode(code) {}
    int Code() const { return FCode; }

private:
    int FCode;
};

class VRStore {
public:
    static constexpr int kSchemaVersion = 4;

    // Opens or creates the database. A file that is not a readable database
    // is renamed to "<path>.corrupt-<time>" and a new one created;
    // SetAsideReport() then tells what happened.
    explicit VRStore(const QString& path);
    ~VRStore();
    VRStore(const VRStore&) = delete;
    VRStore& operator=(const VRStore&) = delete;

    const QString& Path() const { return FPath; }
    // Non-empty once after a corrupt file was set aside: the new name.
    QString TakeSetAsideReport();

    // Runs SQL with positional parameters (?1, ?2...). Throws EStore.
    void Exec(const char* sql, const std::vector<QVariant>& args = {});
    // Rows of the query, each a vector of column values.
    std::vector<std::vector<QVariant>> Query(const char* sql,
                                             const std::vector<QVariant>& args = {});
    // The first column of the first row, or nullopt.
    std::optional<QVariant> Scalar(const char* sql, const std::vector<QVariant>& args = {});
    qint64 Changes() const;

    // Key-value state of the register.
    QVariant Get(const QString& key, const QVariant& def = {});
    qint64 GetInt(const QString& key, qint64 def = 0);
    QString GetStr(const QString& key, const QString& def = {});
    void Set(const QString& key, const QVariant& value);

    // BEGIN IMMEDIATE ... COMMIT; rolls back when left by an exception or
    // without Commit().
    class Transaction {
    public:
        explicit Transaction(VRStore& s);
        ~Transaction();
        void Commit();

    private:
        VRStore& FStore;
        bool FDone = false;
    };

private:
    void Open();
    void Migrate();
    [[noreturn]] void Fail(const char* what, sqlite3_stmt* reset = nullptr);
    sqlite3_stmt* Prepare(const char* sql, const std::vector<QVariant>& args);
    void Close();

    QString FPath;
    // Prepared statements by their text: each command runs a few of the same.
    std::unordered_map<std::string, sqlite3_stmt*> FStatements;
    sqlite3* FDb = nullptr;
    QString FSetAside;
};
