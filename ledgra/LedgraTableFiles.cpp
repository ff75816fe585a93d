#include "ledgra/LedgraTableFiles.h"

#include "driver/ILedgra.h"
#include "driver/ResultCodes.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <map>
#include <optional>
#include <vector>

using P = PropertyId;

namespace {

// A register that answers every table number must not make the walk endless.
constexpr int kMaxTables = 255;
constexpr int kColumns = 4;

std::function<void(int)>& Hook() {
    static std::function<void(int)> hook;
    return hook;
}

LedgraTableFiles::Result Fail(int code, const QString& text) {
    return {code, text};
}

LedgraTableFiles::Result FileFail(const QString& text) {
    return {int(RC::FileError), text};
}

QString LineText(int line, const QString& text) {
    return QStringLiteral("Строка %1: %2").arg(line).arg(text);
}

// The description of the object's last call.
QString LastText(ILedgra& d) {
    return d.Get(P::ResultCodeDescription).toString();
}

// The structure of a table and of its fields, asked once each.
struct FieldInfo {
    bool isString = false;
    int size = 0;
    quint32 min = 0, max = 0;
};
struct TableInfo {
    int rows = 0, fields = 0;
    QString name;
};

int TableStruct(ILedgra& d, int table, TableInfo& out) {
    d.Set(P::TableNumber, table);
    if (const int code = d.Invoke(MethodId::GetTableStruct))
        return code;
    out.rows = d.Get(P::RowNumber).toInt();
    out.fields = d.Get(P::FieldNumber).toInt();
    out.name = d.Get(P::TableName).toString();
    return 0;
}

int FieldStruct(ILedgra& d, int table, int field, FieldInfo& out) {
    d.Set(P::TableNumber, table);
    d.Set(P::FieldNumber, field);
    if (const int code = d.Invoke(MethodId::GetFieldStruct))
        return code;
    out.isString = d.Get(P::FieldType).toBool();
    out.size = d.Get(P::FieldSize).toInt();
    // Ranges travel as 32-bit integers and mean unsigned values.
    out.min = quint32(d.Get(P::MINValueOfField).toInt());
    out.max = quint32(d.Get(P::MAXValueOfField).toInt());
    return 0;
}

// A cell's value as the file writes it.
int ReadCell(ILedgra& d, int table, int row, int field, const FieldInfo& f, QString& out) {
    d.Set(P::TableNumber, table);
    d.Set(P::RowNumber, row);
    d.Set(P::FieldNumber, field);
    if (const int code = d.Invoke(MethodId::ReadTable))
        return code;
    out = f.isString ? d.Get(P::ValueOfFieldString).toString()
                     : QString::number(quint32(d.Get(P::ValueOfFieldInteger).toInt()));
    return 0;
}

// Writes a checked value: a number field takes the integer, a text field the text.
int WriteCell(ILedgra& d, int table, int row, int field, const FieldInfo& f, const QString& value) {
    d.Set(P::TableNumber, table);
    d.Set(P::RowNumber, row);
    d.Set(P::FieldNumber, field);
    if (f.isString)
        d.Set(P::ValueOfFieldString, value);
    else
        d.Set(P::ValueOfFieldInteger, int(value.toUInt()));
    return d.Invoke(MethodId::WriteTable);
}

QString Quote(const QString& v) {
    const bool plain = !v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('"')) &&
                       !v.contains(QLatin1Char('\n')) && !v.contains(QLatin1Char('\r')) &&
                       v.trimmed() == v;
    if (plain)
        return v;
    QString q = v;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// One record of the file and the line it starts on.
struct Record {
    int line = 0;
    QStringList cells;
};

// Splits the text into records; blank lines and comments are skipped. On a
// fault gives its description, naming the line.
std::optional<QString> Parse(const QString& text, std::vector<Record>& out) {
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto atEol = [&](qsizetype k) {
        return k >= n || text[k] == QLatin1Char('\n') ||
               (text[k] == QLatin1Char('\r') && (k + 1 >= n || text[k + 1] == QLatin1Char('\n')));
    };
    auto skipEol = [&] {
        if (i < n && text[i] == QLatin1Char('\r'))
            ++i;
        if (i < n && text[i] == QLatin1Char('\n')) {
            ++i;
            ++line;
        }
    };
    while (i < n) {
        if (text[i] == QLatin1Char('#') || atEol(i)) {
            while (!atEol(i))
                ++i;
            skipEol();
            continue;
        }
        Record r;
        r.line = line;
        for (;;) {
            QString cell;
            if (i < n && text[i] == QLatin1Char('"')) {
                ++i;
                for (;;) {
                    if (i >= n)
                        return LineText(r.line, QStringLiteral("нет закрывающей кавычки"));
                    if (text[i] == QLatin1Char('"')) {
                        if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                            cell += QLatin1Char('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == QLatin1Char('\n'))
                        ++line;
                    cell += text[i++];
                }
                if (!atEol(i) && text[i] != QLatin1Char(';'))
                    return LineText(line,
                                    QStringLiteral("после закрывающей кавычки ожидается «;»"));
            } else {
                while (!atEol(i) && text[i] != QLatin1Char(';'))
                    cell += text[i++];
            }
            r.cells << cell;
            if (atEol(i))
                break;
            ++i; // ';'
        }
        skipEol();
        out.push_back(std::move(r));
    }
    return std::nullopt;
}

std::optional<int> PositiveNumber(const QString& s) {
    if (s.isEmpty() || s.size() > 9)
        return std::nullopt;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const int v = s.toInt();
    return v >= 1 ? std::optional<int>(v) : std::nullopt;
}

// A change the import makes.
struct Change {
    int line;
    int table, row, field;
    FieldInfo info;
    QString value, old;
};

} // namespace

namespace LedgraTableFiles {

void SetBeforeWriteHook(std::function<void(int)> hook) {
    Hook() = std::move(hook);
}

Result Export(ILedgra& d, const QString& fileName) {
    if (fileName.isEmpty())
        return FileFail(QStringLiteral("Не задано имя файла"));
    QString out = QStringLiteral("# Таблицы ККТ: таблица;ряд;поле;значение\n");
    for (int t = 1; t <= kMaxTables; ++t) {
        TableInfo table;
        if (const int code = TableStruct(d, t, table)) {
            if (code == int(RC::NoSuchTable))
                break;
            return Fail(code, QStringLiteral("Таблица %1: %2").arg(t).arg(LastText(d)));
        }
        out += QStringLiteral("# Таблица %1. %2\n").arg(t).arg(table.name);
        std::vector<FieldInfo> fields(size_t(qMax(table.fields, 0)));
        for (int f = 1; f <= table.fields; ++f)
            if (const int code = FieldStruct(d, t, f, fields[size_t(f - 1)]))
                return Fail(
                    code, QStringLiteral("Таблица %1, поле %2: %3").arg(t).arg(f).arg(LastText(d)));
        for (int r = 1; r <= table.rows; ++r) {
            for (int f = 1; f <= table.fields; ++f) {
                QString value;
                if (const int code = ReadCell(d, t, r, f, fields[size_t(f - 1)], value))
                    return Fail(code, QStringLiteral("Таблица %1, ряд %2, поле %3: %4")
                                          .arg(t)
                                          .arg(r)
                                          .arg(f)
                                          .arg(LastText(d)));
                out += QStringLiteral("%1;%2;%3;%4\n").arg(t).arg(r).arg(f).arg(Quote(value));
            }
        }
    }
    // The file is replaced whole or not at all.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return FileFail(
            QStringLiteral("Не удалось создать файл %1: %2").arg(fileName, file.errorString()));
    file.write(out.toUtf8());
    if (!file.commit())
        return FileFail(
            QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, file.errorString()));
    return {};
}

Result Import(ILedgra& d, const QString& fileName) {
    if (fileName.isEmpty())
        return FileFail(QStringLiteral("Не задано имя файла"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return FileFail(
            QStringLiteral("Не удалось открыть файл %1: %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8); // drops a leading BOM
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return FileFail(QStringLiteral("Файл %1 не в кодировке UTF-8").arg(fileName));

    std::vector<Record> records;
    if (const auto fault = Parse(text, records))
        return FileFail(*fault);

    // Every line is checked before anything is written.
    std::map<int, std::optional<TableInfo>> tables;
    std::map<std::pair<int, int>, FieldInfo> fields;
    QHash<QString, int> seen;
    std::vector<Change> changes;
    changes.reserve(records.size());
    for (const Record& r : records) {
        auto bad = [&](const QString& text) { return FileFail(LineText(r.line, text)); };
        if (r.cells.size() != kColumns)
            return bad(QStringLiteral("ожидается «таблица;ряд;поле;значение», полей: %1")
                           .arg(r.cells.size()));
        const auto table = PositiveNumber(r.cells[0].trimmed());
        if (!table)
            return bad(QStringLiteral("неверный номер таблицы «%1»").arg(r.cells[0]));
        const auto row = PositiveNumber(r.cells[1].trimmed());
        if (!row)
            return bad(QStringLiteral("неверный номер ряда «%1»").arg(r.cells[1]));
        const auto field = PositiveNumber(r.cells[2].trimmed());
        if (!field)
            return bad(QStringLiteral("неверный номер поля «%1»").arg(r.cells[2]));

        auto t = tables.find(*table);
        if (t == tables.end()) {
            TableInfo info;
            const int code = TableStruct(d, *table, info);
            if (code != 0 && code != int(RC::NoSuchTable))
                return Fail(code, LineText(r.line, LastText(d)));
            t = tables.emplace(*table, code == 0 ? std::optional(info) : std::nullopt).first;
        }
        if (!t->second)
            return bad(QStringLiteral("нет таблицы %1").arg(*table));
        if (*row > t->second->rows)
            return bad(QStringLiteral("нет ряда %1 в таблице %2 (рядов: %3)")
                           .arg(*row)
                           .arg(*table)
                           .arg(t->second->rows));
        if (*field > t->second->fields)
            return bad(QStringLiteral("нет поля %1 в таблице %2 (полей: %3)")
                           .arg(*field)
                           .arg(*table)
                           .arg(t->second->fields));
        auto f = fields.find({*table, *field});
        if (f == fields.end()) {
            FieldInfo info;
            if (const int code = FieldStruct(d, *table, *field, info))
                return Fail(code, LineText(r.line, LastText(d)));
            f = fields.emplace(std::pair(*table, *field), info).first;
        }
        const FieldInfo& info = f->second;

        QString value = r.cells[3];
        if (info.isString) {
            if (value.size() > info.size)
                return bad(QStringLiteral("текст длиннее %1 символов").arg(info.size));
        } else {
            value = value.trimmed();
            bool ok = !value.isEmpty() && !value.startsWith(QLatin1Char('+'));
            const qint64 n = ok ? value.toLongLong(&ok) : 0;
            if (!ok)
                return bad(QStringLiteral("значение «%1» не число").arg(r.cells[3]));
            if (n < qint64(info.min) || n > qint64(info.max))
                return bad(QStringLiteral("значение %1 вне пределов %2..%3")
                               .arg(n)
                               .arg(info.min)
                               .arg(info.max));
            value = QString::number(n);
        }

        const QString key = QStringLiteral("%1.%2.%3").arg(*table).arg(*row).arg(*field);
        if (const auto first = seen.constFind(key); first != seen.constEnd())
            return bad(QStringLiteral("ячейка %1 уже задана в строке %2").arg(key).arg(*first));
        seen.insert(key, r.line);
        changes.push_back({r.line, *table, *row, *field, info, value, {}});
    }

    // The old values, for the cells that change and for putting them back.
    std::vector<Change> writes;
    for (Change& c : changes) {
        if (const int code = ReadCell(d, c.table, c.row, c.field, c.info, c.old))
            return Fail(code, LineText(c.line, LastText(d)));
        if (c.old != c.value)
            writes.push_back(std::move(c));
    }

    for (size_t n = 0; n < writes.size(); ++n) {
        const Change& c = writes[n];
        if (Hook())
            Hook()(int(n));
        const int code = WriteCell(d, c.table, c.row, c.field, c.info, c.value);
        if (code == 0)
            continue;
        const QString why = LastText(d);
        bool restored = true;
        for (size_t k = n; k-- > 0;) {
            const Change& w = writes[k];
            restored = WriteCell(d, w.table, w.row, w.field, w.info, w.old) == 0 && restored;
        }
        return Fail(code, LineText(c.line, why) +
                              (restored ? QStringLiteral("; прежние значения восстановлены")
                                        : QStringLiteral("; прежние значения восстановить "
                                                         "не удалось")));
    }
    return {};
}

} // namespace LedgraTableFiles
