// The device tables of the virtual register: structure, reading, writing and
// restoring the defaults. Cells are stored under their logical table number,
// so a cell keeps its meaning whichever number the profile shows it under.
//
// Result codes, as a register answers them:
// * a table number of 0 or past the last table: NoSuchTable (93);
// * a row or field outside the table: BadParameters (51), a bad command argument;
// * a value outside the field's range, a text longer than the field, or a text
//   that is not a number for a number field: BadParameters (51) as well; the
//   register checks the value like any other argument of the command.

#include "driver/ResultCodes.h"
#include "vregister/VRHandlers.h"
#include "vregister/VRModelProfile.h"
#include "vregister/VRState.h"
#include "vregister/VRTableSchema.h"

#include <QDateTime>

#include <array>

// The schema.
namespace {

struct F {
    int number;
    const char* name;
    bool str;
    int size;
    qint64 min, max;
    const char* def;
};
// A number field of `size` bytes, and a text field.
F N(int n, const char* name, int size, qint64 min, qint64 max, const char* def) {
    return {n, name, false, size, min, max, def};
}
F S(int n, const char* name, int size, const char* def = "") {
    return {n, name, true, size, 0, 0, def};
}
// A switch: 0 off, 1 on.
F B(int n, const char* name, const char* def = "0") {
    return N(n, name, 1, 0, 1, def);
}

struct T {
    int number;
    const char* name;
    int rows;
    std::vector<F> fields; // in field order; missing numbers are reserved fields
};

constexpr qint64 kU16 = 65535;
constexpr qint64 kU32 = 4294967295LL;

// The register's tables. Fields the programs write keep the numbers they use:
// 1/16, 1/29 and table 8 (print forms), 10 (service settings), 16, 21, 22
// (network), 17/3, 12, 17, 18, 28, 56, 66, 18 (registration data), 19
// (operator), 20 (exchange log), 24/1 (automat number).
const std::vector<T>& Declared() {
    static const std::vector<T> t = {
        {1,
         "Тип и режим кассы",
         1,
         {N(1, "Номер кассы в магазине", 1, 1, 99, "1"),
          B(2, "Автоматическое обнуление денежной наличности"),
          B(3, "Работа с денежным ящиком", "1"),
          N(4, "Отрезка чека", 1, 0, 2, "2"),
          B(5, "Печать необнуляемой суммы"),
          B(6, "Звуковой сигнал", "1"),
          B(7, "Печать клише", "1"),
          N(8, "Количество строк рекламного текста", 1, 0, 10, "4"),
          N(9, "Промотка перед отрезкой, строк", 1, 0, 20, "2"),
          B(10, "Открывать ящик при закрытии чека", "1"),
          B(11, "Печать логотипа"),
          B(12, "Сжатие шрифта на чековой ленте"),
          B(13, "Печать итога крупным шрифтом", "1"),
          N(14, "Округление суммы чека, коп.", 1, 0, 99, "0"),
          N(15, "Знаков после запятой в количестве", 1, 0, 3, "3"),
          N(16, "Формат печати позиции", 1, 0, 3, "1"),
          B(17, "Печать единицы измерения", "1"),
          B(18, "Работа с весами"),
          B(19, "Печать налогов в чеке", "1"),
          N(20, "Тип отчета при закрытии смены", 1, 0, 2, "0"),
          B(21, "Печать QR-кода", "1"),
          B(22, "Экономия бумаги"),
          B(23, "Печать документов", "1"),
          N(24, "Плотность печати", 1, 1, 15, "8"),
          N(25, "Скорость печати", 1, 0, 3, "2"),
          B(26, "Автоматический перевод времени"),
          B(27, "Контроль наличности в денежном ящике", "1"),
          B(28, "Печать заголовка документа", "1"),
          N(29, "Межстрочный интервал", 1, 0, 255, "4"),
          B(30, "Сохранение текста чека в журнале", "1")}},
        {2,
         "Пароли кассиров и администраторов",
         30,
         {N(1, "Пароль", 4, 0, 99999999, "%1"), S(2, "Имя", 64, "КАССИР %1")}},
        {3,
         "Налоговые ставки",
         6,
         {N(1, "Ставка, 0.01%", 2, 0, 9999, "0"), S(2, "Наименование налога", 40, "НАЛОГ %1")}},
        {4, "Текст в чеке", 14, {S(1, "Строка", 48)}},
        {5, "Наименования типов оплаты", 16, {S(1, "Наименование", 48, "ТИП ОПЛАТЫ %1")}},
        {6, "Наименования секций", 16, {S(1, "Наименование", 48, "СЕКЦИЯ %1")}},
        {7,
         "Настройка формата чека",
         1,
         {B(1, "Печать номера чека", "1"), B(2, "Печать номера смены", "1"),
          B(3, "Печать ИНН кассира"), B(4, "Наименование товара в две строки"),
          N(5, "Выравнивание итога", 1, 0, 2, "0")}},
        // Fonts 1..7 of the receipt's parts; the defaults are the classic form.
        {8,
         "Настройка шрифтов",
         1,
         {N(1, "Шрифт клише", 1, 1, 7, "1"),
          N(2, "Шрифт заголовка документа", 1, 1, 7, "1"),
          N(3, "Шрифт наименования товара", 1, 1, 7, "1"),
          N(4, "Шрифт количества и цены", 1, 1, 7, "1"),
          N(5, "Шрифт стоимости", 1, 1, 7, "1"),
          N(6, "Шрифт секции", 1, 1, 7, "1"),
          N(7, "Шрифт скидки", 1, 1, 7, "1"),
          N(8, "Шрифт надбавки", 1, 1, 7, "1"),
          N(9, "Шрифт налога", 1, 1, 7, "1"),
          N(10, "Шрифт промежуточного итога", 1, 1, 7, "1"),
          N(11, "Шрифт типа оплаты", 1, 1, 7, "1"),
          N(12, "Шрифт сдачи", 1, 1, 7, "1"),
          N(13, "Шрифт реквизитов ФН", 1, 1, 7, "1"),
          N(14, "Шрифт реквизитов ОФД", 1, 1, 7, "1"),
          N(15, "Шрифт кассира", 1, 1, 7, "1"),
          N(16, "Шрифт адреса расчетов", 1, 1, 7, "1"),
          N(17, "Шрифт номера документа", 1, 1, 7, "1"),
          N(18, "Шрифт итога", 1, 1, 7, "2"),
          N(19, "Шрифт рекламного текста", 1, 1, 7, "1"),
          N(20, "Шрифт отчетов", 1, 1, 7, "1"),
          N(21, "Шрифт фискального признака", 1, 1, 7, "1"),
          N(22, "Шрифт даты и времени", 1, 1, 7, "1"),
          N(23, "Шрифт регистрационных данных", 1, 1, 7, "1"),
          N(24, "Шрифт подписи QR-кода", 1, 1, 7, "5")}},
        {9,
         "Настройка отчетов",
         1,
         {B(1, "Отчет по секциям", "1"), B(2, "Отчет по налогам", "1"), B(3, "Отчет по кассирам"),
          B(4, "Отчет по часам"), B(5, "Необнуляемые суммы в отчете", "1")}},
        {10,
         "Технологические параметры",
         1,
         {N(1, "Тип печатающего механизма", 1, 0, 7, "0"), B(2, "Контроль напряжения", "1"),
          N(3, "Ширина печати, точек", 2, 0, 1024, "576"), N(4, "Версия ФФД ККТ", 1, 0, 4, "2"),
          N(5, "Таймаут приема команды, мс", 2, 0, kU16, "100"),
          B(6, "Перезапуск при ошибке принтера"),
          N(7, "Ширина ленты (0 - 80 мм, 1 - 57 мм)", 1, 0, 1, "0"),
          N(8, "Температура отключения головки", 1, 0, 100, "70"), B(9, "Режим отладки"),
          N(10, "Таймаут ФН, с", 1, 1, 255, "30"),
          N(11, "Чувствительность датчика чековой ленты", 1, 0, 255, "130"),
          N(12, "Чувствительность датчика отрезчика", 1, 0, 255, "130"),
          N(13, "Скорость обмена с ФН", 1, 0, 7, "5"), B(14, "Обход ошибки ФН"),
          N(15, "Логирование (0 - нет, 1 - COM, 2 - сеть, 3 - SD)", 1, 0, 3, "0"),
          N(29, "Версия ФФД", 1, 0, 4, "2"), B(32, "Регистрация по таблицам")}},
        {11,
         "Параметры дисплея покупателя",
         1,
         {N(1, "Тип дисплея", 1, 0, 3, "0"), N(2, "Яркость", 1, 1, 7, "4"),
          S(3, "Текст приветствия", 20, "ДОБРО ПОЖАЛОВАТЬ")}},
        {12,
         "Параметры внешних устройств",
         1,
         {B(1, "Сканер штрихкода"), B(2, "Весы"), B(3, "Платежный терминал")}},
        {13,
         "Дополнительные параметры ФН",
         1,
         {N(1, "Признак агента", 1, 0, 255, "0"), B(2, "Продажа подакцизного товара"),
          B(3, "Проведение азартной игры"), B(4, "Проведение лотереи"),
          B(5, "Установка принтера в автомате"),
          N(21, "Расширенные признаки работы ККТ", 1, 0, 255, "0"),
          N(22, "Коды причин изменения сведений о ККТ", 4, 0, kU32, "0")}},
        {14,
         "Устройство модернизации",
         1,
         {N(1, "Режим устройства модернизации", 1, 0, 2, "0"),
          S(2, "Версия ПО устройства модернизации", 16)}},
        {15,
         "Карта памяти",
         1,
         {B(1, "Использование карты памяти"), B(2, "Запись журнала на карту"),
          B(3, "Обновление ПО с карты", "1")}},
        {16,
         "Сетевые параметры",
         1,
         {N(1, "Режим адреса (0 - DHCP, 1 - статический)", 1, 0, 1, "0"),
          N(2, "Состояние DHCP", 1, 0, 255, "0"),
          N(3, "IP адрес, байт 1", 1, 0, 255, "192"),
          N(4, "IP адрес, байт 2", 1, 0, 255, "168"),
          N(5, "IP адрес, байт 3", 1, 0, 255, "137"),
          N(6, "IP адрес, байт 4", 1, 0, 255, "111"),
          N(7, "Шлюз, байт 1", 1, 0, 255, "192"),
          N(8, "Шлюз, байт 2", 1, 0, 255, "168"),
          N(9, "Шлюз, байт 3", 1, 0, 255, "137"),
          N(10, "Шлюз, байт 4", 1, 0, 255, "1"),
          N(11, "Маска, байт 1", 1, 0, 255, "255"),
          N(12, "Маска, байт 2", 1, 0, 255, "255"),
          N(13, "Маска, байт 3", 1, 0, 255, "255"),
          N(14, "Маска, байт 4", 1, 0, 255, "0"),
          N(15, "DNS, байт 1", 1, 0, 255, "192"),
          N(16, "DNS, байт 2", 1, 0, 255, "168"),
          N(17, "DNS, байт 3", 1, 0, 255, "137"),
          N(18, "DNS, байт 4", 1, 0, 255, "1"),
          B(19, "Клиент Socks5"),
          N(20, "IP Socks5, байт 1", 1, 0, 255, "0"),
          N(21, "IP Socks5, байт 2", 1, 0, 255, "0"),
          N(22, "IP Socks5, байт 3", 1, 0, 255, "0"),
          N(23, "IP Socks5, байт 4", 1, 0, 255, "0"),
          N(24, "Порт Socks5", 2, 0, kU16, "1080")}},
        {17,
         "Региональные настройки",
         1,
         {B(1, "Язык интерфейса"), N(2, "Формат даты", 1, 0, 2, "0"),
          N(3, "Режим ФФД", 1, 0, 2, "2"), B(4, "Печать реквизитов ОФД", "1"),
          B(5, "Печать QR-кода документа", "1"), B(6, "Печать адреса сайта ФНС", "1"),
          B(7, "Проверка кодов маркировки", "1"), B(8, "Печать результата проверки КМ", "1"),
          N(9, "Передача документов в ОФД", 1, 0, 2, "1"), B(10, "Номер ФД крупным шрифтом"),
          N(11, "Шрифт реквизитов", 1, 1, 7, "1"),
          // Bit masks: each bit one tag or one print option.
          N(12, "Печать реквизитов", 4, 0, kU32, "7"), B(13, "Отправка чека покупателю"),
          B(14, "Печать адреса эл. почты отправителя"), B(15, "Проверка ИНН", "1"),
          B(16, "Автоматическое закрытие смены"), N(17, "Версия ФФД", 1, 0, 4, "4"),
          N(18, "Форма печати чека", 1, 0, 7, "0"), N(28, "Минимизация ЭФ", 2, 0, kU16, "0"),
          N(56, "Форма печати отчетов", 1, 0, 7, "0"),
          N(66, "Часовой пояс (0 - не задан)", 1, 0, 11, "0")}},
        {18,
         "Параметры ФН",
         1,
         {S(1, "Заводской номер ККТ", 20),
          S(2, "ИНН", 12),
          S(3, "РНМ", 20),
          S(4, "Заводской номер ФН", 16),
          N(5, "Система налогообложения", 1, 0, 63, "0"),
          N(6, "Режим работы", 1, 0, 255, "0"),
          S(7, "Пользователь", 128),
          S(8, "Кассир", 64),
          S(9, "Адрес расчетов", 128),
          S(10, "Наименование ОФД", 64),
          S(11, "Адрес сайта ОФД", 64),
          S(12, "ИНН ОФД", 12),
          S(13, "Адрес сайта ФНС", 64, "www.nalog.gov.ru"),
          S(14, "Место расчетов", 128),
          S(15, "Адрес эл. почты отправителя", 64),
          N(16, "Признак агента", 1, 0, 255, "0"),
          B(17, "Продажа подакцизного товара"),
          B(18, "Проведение азартной игры"),
          B(19, "Проведение лотереи"),
          B(20, "Установка принтера в автомате"),
          N(21, "Расширенные признаки работы ККТ", 1, 0, 255, "0"),
          N(22, "Коды причин изменения сведений о ККТ", 4, 0, kU32, "0")}},
        {19,
         "Параметры ОФД",
         1,
         {S(1, "Сервер ОФД", 64), N(2, "Порт ОФД", 2, 0, kU16, "0"),
          N(3, "Таймер опроса ФН, с", 2, 1, 3600, "60"),
          N(4, "Таймаут соединения с ОФД, с", 2, 1, 3600, "90"), S(5, "Сервер ОИСМ", 64),
          N(6, "Порт ОИСМ", 2, 0, kU16, "0")}},
        {20,
         "Статус обмена с ОФД",
         1,
         {N(1, "Состояние обмена", 1, 0, 255, "0"), N(2, "Сообщений в очереди", 4, 0, kU32, "0"),
          N(3, "Номер первого неотправленного ФД", 4, 0, kU32, "0"),
          S(4, "Дата первого неотправленного ФД", 20), S(5, "Время последнего обмена", 20),
          B(6, "Квитанция с ошибкой"), N(7, "Код ошибки квитанции", 1, 0, 255, "0"),
          S(8, "Лог обмена, строка 1", 48), S(9, "Лог обмена, строка 2", 48),
          S(10, "Лог обмена, строка 3", 48), S(11, "Лог обмена, строка 4", 48),
          S(12, "Лог обмена, строка 5", 48), S(13, "Лог обмена, строка 6", 48),
          S(14, "Лог обмена, строка 7", 48), S(15, "Лог обмена, строка 8", 48),
          S(16, "Лог обмена, строка 9", 48), S(17, "Лог обмена, строка 10", 48)}},
        {21,
         "Параметры подключения",
         1,
         {N(1, "Режим порта", 1, 0, 3, "0"), N(2, "Таймаут TCP, с", 1, 0, 255, "30"),
          B(3, "Работа по TCP/IP"), N(4, "TCP порт", 2, 1, kU16, "7778"),
          B(5, "Ответ на поиск по сети", "1"), B(6, "WiFi"), S(7, "Имя сети WiFi", 32),
          S(8, "Пароль WiFi", 64), B(9, "RNDIS")}},
        {22,
         "Параметры WiFi",
         1,
         {N(1, "Режим адреса (0 - DHCP, 1 - статический)", 1, 0, 1, "0"), S(2, "IP адрес", 15),
          S(3, "Маска", 15), S(4, "Шлюз", 15), S(5, "DNS", 15)}},
        {23,
         "Параметры сервера ключей",
         1,
         {S(1, "Адрес сервера ключей", 64), N(2, "Порт сервера ключей", 2, 0, kU16, "0"),
          N(3, "Интервал проверки ключей, ч", 1, 1, 255, "24")}},
        {24,
         "Встраиваемая и интернет техника",
         1,
         {S(1, "Номер автомата", 20), S(2, "Адрес сайта", 64)}},
        {25,
         "Параметры мониторинга",
         1,
         {S(1, "Сервер мониторинга", 64), N(2, "Порт сервера мониторинга", 2, 0, kU16, "0"),
          B(3, "Передача данных мониторинга")}},
    };
    return t;
}

// Cells whose default differs from the rest of their column.
struct RowDefault {
    int table, row, field;
    const char* value;
};
constexpr RowDefault kRowDefaults[] = {
    {2, 29, 2, "АДМИНИСТРАТОР"}, {2, 30, 2, "СИС. АДМИНИСТРАТОР"},
    {3, 1, 1, "2000"},           {3, 1, 2, "НДС 20%"},
    {3, 2, 1, "1000"},           {3, 2, 2, "НДС 10%"},
    {3, 3, 2, "НДС 0%"},         {3, 4, 2, "БЕЗ НДС"},
    {5, 1, 1, "НАЛИЧНЫМИ"},      {5, 2, 1, "ЭЛЕКТРОННЫМИ"},
};

std::vector<VRTableDef> Build() {
    std::vector<VRTableDef> out;
    for (const T& t : Declared()) {
        VRTableDef d{t.number, QString::fromUtf8(t.name), t.rows, {}};
        int next = 1;
        for (const F& f : t.fields) {
            for (; next < f.number; ++next)
                d.fields.push_back(
                    {next, QStringLiteral("Резерв"), false, 1, 0, 255, QStringLiteral("0"), true});
            d.fields.push_back({f.number, QString::fromUtf8(f.name), f.str, f.size, f.min, f.max,
                                QString::fromUtf8(f.def), false});
            next = f.number + 1;
        }
        out.push_back(std::move(d));
    }
    return out;
}

// The tables a profile may move: the fiscal storage, operator and automat tables.
struct Move {
    int logical, physical;
};
std::array<Move, 3> Moves(const VRProfileInfo& p) {
    return {{{18, p.fsTable}, {19, p.ofdTable}, {24, p.table24}}};
}

} // namespace

namespace VRTableSchema {

const std::vector<VRTableDef>& Tables() {
    static const std::vector<VRTableDef> t = Build();
    return t;
}

const VRTableDef* Table(int logical) {
    const auto& t = Tables();
    return logical >= 1 && logical <= int(t.size()) ? &t[size_t(logical - 1)] : nullptr;
}

const VRFieldDef* Field(int logical, int field) {
    const VRTableDef* t = Table(logical);
    if (!t || field < 1 || field > int(t->fields.size()))
        return nullptr;
    return &t->fields[size_t(field - 1)];
}

QString DefaultText(int logical, int row, const VRFieldDef& f) {
    for (const auto& d : kRowDefaults)
        if (d.table == logical && d.row == row && d.field == f.number)
            return QString::fromUtf8(d.value);
    return f.def.contains(QLatin1String("%1")) ? f.def.arg(row) : f.def;
}

// A moved table swaps places with the table that held its number, so every
// table stays reachable under exactly one number.
int Physical(const VRProfileInfo& p, int logical) {
    for (const Move& m : Moves(p)) {
        if (logical == m.logical)
            return m.physical;
        if (logical == m.physical)
            return m.logical;
    }
    return logical;
}

int Logical(const VRProfileInfo& p, int physical) {
    for (const Move& m : Moves(p)) {
        if (physical == m.physical)
            return m.logical;
        if (physical == m.logical)
            return m.physical;
    }
    return physical;
}

} // namespace VRTableSchema

// The cells and the commands.

namespace {

using P = PropertyId;

// The value of a cell: a number field's number, or a text field's text.
struct Value {
    qint64 number = 0;
    QString text;
};

// Where the network cells live.
constexpr int kNetTable = 16, kNetMode = 1, kNetDhcpState = 2, kNetAddress = 3;
constexpr int kLinkTable = 21, kLinkTcpPort = 4;
const QString kDhcpSince = QStringLiteral("dhcp.since");

qint64 DhcpState(VRStore& s, qint64 stored);

Value Stored(VRStore& s, int table, int row, const VRFieldDef& f) {
    const auto v =
        s.Scalar("SELECT value FROM table_values WHERE tbl = ?1 AND row = ?2 AND field = ?3",
                 {table, row, f.number});
    const QString def = VRTableSchema::DefaultText(table, row, f);
    if (f.isString)
        return {0, v ? v->toString() : def};
    const qint64 n = v ? v->toLongLong() : def.toLongLong();
    if (table == kNetTable && row == 1 && f.number == kNetDhcpState)
        return {DhcpState(s, n), {}};
    return {n, {}};
}

qint64 DhcpState(VRStore& s, qint64 stored) {
    if (VRTables::ReadInt(s, kNetTable, 1, kNetMode) != 0)
        return stored;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    qint64 since = s.GetInt(kDhcpSince);
    if (since <= 0) {
        // The first look at the register: it has just been switched on.
        since = now;
        s.Set(kDhcpSince, since);
    }
    return now - since >= VRTables::kDhcpDelayMs ? VRTables::kDhcpObtained : 0;
}

int Check(int table, int row, int field, const VRFieldDef** out) {
    const VRTableDef* t = VRTableSchema::Table(table);
    if (!t)
        return int(RC::NoSuchTable);
    if (row < 1 || row > t->rows || field < 1 || field > int(t->fields.size()))
        return int(RC::BadParameters);
    *out = &t->fields[size_t(field - 1)];
    return 0;
}

int Put(VRStore& s, int table, int row, const VRFieldDef& f, const Value& v) {
    QVariant stored;
    if (f.isString) {
        // One byte a character in the register's code page.
        if (v.text.size() > f.size)
            return int(RC::BadParameters);
        stored = v.text;
    } else {
        if (v.number < f.min || v.number > f.max)
            return int(RC::BadParameters);
        stored = v.number;
    }
    s.Exec("INSERT INTO table_values (tbl, row, field, value) VALUES (?1, ?2, ?3, ?4) "
           "ON CONFLICT(tbl, row, field) DO UPDATE SET value = excluded.value",
           {table, row, f.number, stored});
    // DHCP switched on (or its setting applied again): a new lease.
    if (table == kNetTable && row == 1 && f.number == kNetMode && v.number == 0)
        VRTables::RestartDhcp(s);
    return 0;
}

std::optional<qint64> ParseNumber(const QString& text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

// MIN/MAX and the integer value travel as 32-bit integers: a four-byte field
// above 2^31 - 1 goes as its bit pattern (a program shows it unsigned).
int Wire(qint64 v) {
    return int(quint32(quint64(v)));
}

// The cell a request names, through the profile's table numbers.
struct Target {
    int table = 0; // logical
    const VRTableDef* def = nullptr;
    const VRFieldDef* field = nullptr;
    int row = 0;
};

int Locate(VRContext& c, bool withRow, Target& t) {
    const VRProfileInfo& prof = VRProfile::Current(c.Store);
    t.table = VRTableSchema::Logical(prof, c.InInt(P::TableNumber));
    t.def = VRTableSchema::Table(t.table);
    if (!t.def)
        return int(RC::NoSuchTable);
    t.row = withRow ? c.InInt(P::RowNumber) : 1;
    return Check(t.table, t.row, c.InInt(P::FieldNumber), &t.field);
}

void OutStruct(VRContext& c, const VRFieldDef& f) {
    c.Out(P::FieldName, f.name);
    c.Out(P::FieldType, f.isString);
    c.Out(P::FieldSize, f.size);
    c.Out(P::MINValueOfField, f.isString ? 0 : Wire(f.min));
    c.Out(P::MAXValueOfField, f.isString ? 0 : Wire(f.max));
}

void OutValue(VRContext& c, const Target& t) {
    const Value v = Stored(c.Store, t.table, t.row, *t.field);
    c.Out(P::ValueOfFieldInteger, t.field->isString ? 0 : Wire(v.number));
    c.Out(P::ValueOfFieldString, t.field->isString ? v.text : QString::number(v.number));
}

int GetTableStruct(VRContext& c) {
    const VRTableDef* t = VRTableSchema::Table(
        VRTableSchema::Logical(VRProfile::Current(c.Store), c.InInt(P::TableNumber)));
    if (!t)
        return int(RC::NoSuchTable);
    c.Out(P::TableName, t->name);
    c.Out(P::RowNumber, t->rows);
    c.Out(P::FieldNumber, int(t->fields.size()));
    return 0;
}

int GetFieldStruct(VRContext& c) {
    Target t;
    if (const int code = Locate(c, false, t))
        return code;
    OutStruct(c, *t.field);
    return 0;
}

int ReadTable(VRContext& c) {
    Target t;
    if (const int code = Locate(c, true, t))
        return code;
    OutStruct(c, *t.field);
    OutValue(c, t);
    return 0;
}

int WriteTable(VRContext& c) {
    Target t;
    if (const int code = Locate(c, true, t))
        return code;
    // The field's type picks which of the two values is written. A request
    // that carries only the other one is taken as text: a number field
    // reads the text as a decimal number, a text field gets the number's text.
    const bool hasInt = c.Has(P::ValueOfFieldInteger);
    const bool hasStr = c.Has(P::ValueOfFieldString);
    Value v;
    if (t.field->isString) {
        v.text = hasStr || !hasInt ? c.InStr(P::ValueOfFieldString)
                                   : QString::number(c.InInt(P::ValueOfFieldInteger));
    } else if (hasInt || !hasStr) {
        const int wire = c.InInt(P::ValueOfFieldInteger);
        // A four-byte field takes the integer's bit pattern, as it was read.
        v.number = t.field->size >= 4 ? qint64(quint32(wire)) : wire;
    } else {
        const auto n = ParseNumber(c.InStr(P::ValueOfFieldString));
        if (!n)
            return int(RC::BadParameters);
        v.number = *n;
    }
    if (const int code = Put(c.Store, t.table, t.row, *t.field, v))
        return code;
    OutStruct(c, *t.field);
    OutValue(c, t);
    return 0;
}

int InitTable(VRContext& c) {
    // Settings are not reset under an open shift: its documents were made with them.
    const int mode = VRState::Mode(c.Store);
    if (mode == VRState::ModeShiftOpen || mode == VRState::ModeShiftOver24h ||
        mode == VRState::ModeDocumentOpen)
        return int(RC::ShiftOpen);
    VRTables::Reset(c.Store);
    return 0;
}

} // namespace

namespace VRTables {

qint64 ReadInt(VRStore& s, int table, int row, int field) {
    const VRFieldDef* f = nullptr;
    if (Check(table, row, field, &f) != 0 || f->isString)
        return 0;
    return Stored(s, table, row, *f).number;
}

QString ReadStr(VRStore& s, int table, int row, int field) {
    const VRFieldDef* f = nullptr;
    if (Check(table, row, field, &f) != 0)
        return {};
    const Value v = Stored(s, table, row, *f);
    return f->isString ? v.text : QString::number(v.number);
}

int WriteInt(VRStore& s, int table, int row, int field, qint64 value) {
    const VRFieldDef* f = nullptr;
    if (const int code = Check(table, row, field, &f))
        return code;
    return Put(s, table, row, *f,
               f->isString ? Value{0, QString::number(value)} : Value{value, {}});
}

int WriteStr(VRStore& s, int table, int row, int field, const QString& value) {
    const VRFieldDef* f = nullptr;
    if (const int code = Check(table, row, field, &f))
        return code;
    if (f->isString)
        return Put(s, table, row, *f, Value{0, value});
    const auto n = ParseNumber(value);
    return n ? Put(s, table, row, *f, Value{*n, {}}) : int(RC::BadParameters);
}

void Reset(VRStore& s) {
    s.Exec("DELETE FROM table_values");
}

void RestartDhcp(VRStore& s) {
    s.Set(kDhcpSince, QDateTime::currentMSecsSinceEpoch());
}

void SetNetworkLink(VRStore& s, const std::array<int, 4>& address, int tcpPort) {
    RestartDhcp(s);
    if (ReadInt(s, kNetTable, 1, kNetMode) == 0)
        for (int i = 0; i < 4; ++i)
            WriteInt(s, kNetTable, 1, kNetAddress + i, address[size_t(i)]);
    if (tcpPort > 0)
        WriteInt(s, kLinkTable, 1, kLinkTcpPort, tcpPort);
}

void AddHandlers(VRHandlerTable& t) {
    t[MethodId::GetTableStruct] = GetTableStruct;
    t[MethodId::GetFieldStruct] = GetFieldStruct;
    t[MethodId::ReadTable] = ReadTable;
    t[MethodId::WriteTable] = WriteTable;
    t[MethodId::InitTable] = InitTable;
}

} // namespace VRTables
