#include "ledgra/LedgraConsole.h"

#include "driver/ResultCodes.h"
#include "ledgra/LedgraComponent.h"
#include "ledgra/LedgraSettings.h"
#include "platform/ComponentFactory.h"
#include "platform/LedgraErrors.h"
#include "platform/SerialPorts.h"
#include "vregister/VirtualRegister.h"

#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>
#include <variant>

namespace LedgraConsole {
namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

struct SetItem {
    const PropertyInfo* property;
    QVariant value;
};
struct CallItem {
    const MethodInfo* method;
};
struct GetItem {
    const PropertyInfo* property;
};
using Item = std::variant<SetItem, CallItem, GetItem>;

// Parses one item; an empty optional with a message on a usage error.
std::optional<Item> ParseItem(const QString& text, QString* error) {
    if (text.endsWith(QLatin1String("()"))) {
        const QString name = text.chopped(2).trimmed();
        const MethodInfo* m = Ledgra::MethodByName(name);
        if (!m) {
            *error = QStringLiteral("неизвестный метод: %1").arg(name);
            return std::nullopt;
        }
        return CallItem{m};
    }
    if (text.endsWith(QLatin1Char('?'))) {
        const QString name = text.chopped(1).trimmed();
        const PropertyInfo* p = Ledgra::PropertyByName(name);
        if (!p) {
            *error = QStringLiteral("неизвестное свойство: %1").arg(name);
            return std::nullopt;
        }
        return GetItem{p};
    }
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq > 0) {
        const QString name = text.left(eq).trimmed();
        const PropertyInfo* p = Ledgra::PropertyByName(name);
        if (!p) {
            *error = QStringLiteral("неизвестное свойство: %1").arg(name);
            return std::nullopt;
        }
        const auto v = Ledgra::ParseValue(*p, text.mid(eq + 1));
        if (!v) {
            *error = QStringLiteral("значение \"%1\" не подходит к свойству %2 (%3)")
                         .arg(text.mid(eq + 1), name, QLatin1String(Ledgra::TypeName(p->type)));
            return std::nullopt;
        }
        return SetItem{p, *v};
    }
    *error =
        QStringLiteral("непонятный элемент: %1 (ожидается Имя=Значение, Имя() или Имя?)").arg(text);
    return std::nullopt;
}

bool ApplyConnection(ILedgra& d, const QString& spec, QString* error) {
    using enum PropertyId;
    if (spec == QLatin1String("embedded")) {
        d.Set(ConnectionType, LedgraSettings::kEmbedded);
        return true;
    }
    const QUrl url(spec);
    if (url.scheme() == QLatin1String("tcp") && !url.host().isEmpty() && url.port() > 0) {
        d.Set(ConnectionType, LedgraSettings::kTcp);
        const bool ip = !QHostAddress(url.host()).isNull();
        d.Set(UseIPAddress, ip);
        d.Set(ip ? IPAddress : ComputerName, url.host());
        d.Set(TCPPort, url.port());
        return true;
    }
    // comN or comN:RATE, the rate in bits per second (115200 unless given).
    static const QRegularExpression com(QStringLiteral("^com(\\d{1,3})(?::(\\d+))?$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = com.match(spec); m.hasMatch()) {
        const int rate = m.captured(2).isEmpty() ? 115200 : m.captured(2).toInt();
        for (int code = 0; Platform::BaudRateOfCode(code) != 0; ++code) {
            if (Platform::BaudRateOfCode(code) != rate)
                continue;
            d.Set(ConnectionType, LedgraSettings::kSerial);
            d.Set(ComNumber, m.captured(1).toInt());
            d.Set(BaudRate, code);
            return true;
        }
    }
    *error =
        QStringLiteral("неверное подключение: %1 (embedded, tcp://ХОСТ:ПОРТ или COMn[:СКОРОСТЬ])")
            .arg(spec);
    return false;
}

} // namespace

QString Usage() {
    return QStringLiteral(
               "ledgra [ПАРАМЕТРЫ] ЭЛЕМЕНТ...\n"
               "  Имя=Значение   установить свойство (по типу свойства; логические "
               "0/1/true/false)\n"
               "  Имя()          вызвать метод; печатает \"Имя: КОД ОПИСАНИЕ\"\n"
               "  Имя?           напечатать \"Имя = ЗНАЧЕНИЕ\"\n"
               "Параметры:\n"
               "  --connection embedded|tcp://ХОСТ:ПОРТ|COMn[:СКОРОСТЬ]   подключение (иначе из "
               "настроек драйвера)\n"
               "  --data DIR            папка драйвера (LEDGRA_DATA_DIR)\n"
               "  --script FILE         элементы из файла, по одному в строке; # - комментарий\n"
               "  --list                перечислить свойства и методы\n"
               "Виртуальная ККТ (выполняется до элементов):\n"
               "  --fault МЕТОД=КОД[xЧИСЛО]   ответить КОДом на следующие вызовы МЕТОДа (* - "
               "любой)\n"
               "  --delay МЕТОД=МС            задерживать ответы МЕТОДу (0 - отменить)\n"
               "  --drop ЧИСЛО                разорвать связь на следующих вызовах\n"
               "  --clear-faults              отменить все имитации ошибок\n"
               "  --clock-offset СЕКУНДЫ      сдвиг часов ККТ относительно часов компьютера\n"
               "  --profile ИМЯ               модель ККТ: ") +
           QStringLiteral("default, model254, alt-tables, no-fn, cashcore\n") +
           QStringLiteral(
               "  --vr КОМАНДА                служебная команда ККТ, например \"online 5\", "
               "\"offline\",\n"
               "                              \"fn-replace\"; можно повторять (список: --vr-help)\n"
               "  --vr-help                   перечислить служебные команды ККТ\n"
               "  --vr-state                  показать имитации и настройки ККТ\n"
               "  --clear-tape                очистить бумажную ленту\n"
               "  --tape [N]                  после элементов: последние N записей ленты "
               "(без N - все)\n"
               "Код выхода: 0 - все методы вернули 0, 1 - хотя бы один нет, 2 - ошибка в "
               "параметрах.\n");
}

int Run(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString connection;
    QStringList itemTexts;
    QStringList service;
    QStringList after; // service commands that show what the items did
    auto usage = [&](const QString& why) {
        err << "ledgra: " << why << "\n";
        err.flush();
        return kUsage;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString* v) {
            if (i + 1 >= args.size())
                return false;
            *v = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << Usage();
            return kOk;
        } else if (a == QLatin1String("--list")) {
            for (const auto& p : Ledgra::Properties())
                out << p.name << ": " << Ledgra::TypeName(p.type) << (p.bytes ? " (bytes)" : "")
                    << "\n";
            for (const auto& m : Ledgra::Methods())
                out << m.name << "()\n";
            return kOk;
        } else if (a == QLatin1String("--connection")) {
            if (!value(&connection))
                return usage(QStringLiteral("--connection без значения"));
        } else if (a == QLatin1String("--data")) {
            if (!value(&v))
                return usage(QStringLiteral("--data без значения"));
            qputenv("LEDGRA_DATA_DIR", QFile::encodeName(v));
        } else if (a == QLatin1String("--script")) {
            if (!value(&v))
                return usage(QStringLiteral("--script без значения"));
            QFile f(v);
            if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
                return usage(QStringLiteral("не удается открыть %1: %2").arg(v, f.errorString()));
            for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
                const QString t = line.trimmed();
                if (!t.isEmpty() && !t.startsWith(QLatin1Char('#')))
                    itemTexts << t;
            }
        } else if (a == QLatin1String("--fault") || a == QLatin1String("--delay")) {
            if (!value(&v) || !v.contains(QLatin1Char('=')))
                return usage(QStringLiteral("%1 МЕТОД=ЗНАЧЕНИЕ").arg(a));
            const QString method = v.section(QLatin1Char('='), 0, 0);
            QString rest = v.section(QLatin1Char('='), 1);
            if (a == QLatin1String("--fault")) {
                const QString count = rest.contains(QLatin1Char('x'))
                                          ? rest.section(QLatin1Char('x'), 1)
                                          : QStringLiteral("1");
                service << QStringLiteral("fault %1 %2 %3")
                               .arg(method, rest.section(QLatin1Char('x'), 0, 0), count);
            } else {
                service << QStringLiteral("delay %1 %2").arg(method, rest);
            }
        } else if (a == QLatin1String("--drop") || a == QLatin1String("--clock-offset") ||
                   a == QLatin1String("--profile")) {
            if (!value(&v))
                return usage(QStringLiteral("%1 без значения").arg(a));
            service << QStringLiteral("%1 %2").arg(a.mid(2), v);
        } else if (a == QLatin1String("--vr")) {
            // One service command of the register, as its own text.
            if (!value(&v) || v.trimmed().isEmpty())
                return usage(QStringLiteral("--vr без команды"));
            service << v.trimmed();
        } else if (a == QLatin1String("--vr-help")) {
            out << VirtualRegister::ServiceHelp() << "\n";
            return kOk;
        } else if (a == QLatin1String("--clear-faults")) {
            service << QStringLiteral("clear-faults");
        } else if (a == QLatin1String("--vr-state")) {
            service << QStringLiteral("state");
        } else if (a == QLatin1String("--clear-tape")) {
            service << QStringLiteral("clear-tape");
        } else if (a == QLatin1String("--tape")) {
            bool count = false; // the count is optional: only a number is taken
            if (i + 1 < args.size())
                args[i + 1].toUInt(&count);
            after << (count ? QStringLiteral("tape %1").arg(args[++i]) : QStringLiteral("tape"));
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("неизвестный параметр %1\n%2").arg(a, Usage()));
        } else {
            itemTexts << a;
        }
    }
    if (itemTexts.isEmpty() && service.isEmpty() && after.isEmpty())
        return usage(QStringLiteral("нет элементов\n") + Usage());

    // Every item is checked before the first one runs.
    std::vector<Item> items;
    for (const QString& t : itemTexts) {
        QString error;
        auto item = ParseItem(t, &error);
        if (!item)
            return usage(error);
        items.push_back(*item);
    }

    Ledgra::RegisterComponentClass();
    std::shared_ptr<ILedgra> driver;
    try {
        driver = Platform::CreateComponent();
    } catch (const EError& e) {
        err << "ledgra: Ошибка создания объекта драйвера: " << e.Message() << "\n";
        err.flush();
        return kUsage;
    }
    if (!connection.isEmpty()) {
        QString error;
        if (!ApplyConnection(*driver, connection, &error))
            return usage(error);
    }

    int status = kOk;
    auto* component = dynamic_cast<TLedgraComponent*>(driver.get());
    if ((!service.isEmpty() || !after.isEmpty()) && !component)
        return usage(QStringLiteral("параметры виртуальной ККТ недоступны для этого драйвера"));
    auto runService = [&](const QStringList& commands) {
        for (const QString& cmd : commands) {
            QString text;
            const int code = component->ServiceCommand(cmd, &text);
            (code == 0 ? out : err) << text << "\n";
            if (code != 0)
                status = code == int(RC::BadPropertyValue) ? kUsage : kFailed;
        }
        out.flush();
        err.flush();
    };
    runService(service);
    if (status != kOk)
        return status;

    for (const Item& item : items) {
        try {
            if (auto* s = std::get_if<SetItem>(&item)) {
                driver->Set(s->property->id, s->value);
            } else if (auto* c = std::get_if<CallItem>(&item)) {
                const int code = driver->Invoke(c->method->id);
                out << c->method->name << ": " << code << " "
                    << driver->Get(PropertyId::ResultCodeDescription).toString() << "\n";
                if (code != 0)
                    status = kFailed;
                out.flush(); // a script's reader sees each answer as it comes
            } else if (auto* g = std::get_if<GetItem>(&item)) {
                out << g->property->name << " = "
                    << Ledgra::FormatValue(*g->property, driver->Get(g->property->id)) << "\n";
            }
        } catch (const std::exception& e) {
            err << "ledgra: " << QString::fromUtf8(e.what()) << "\n";
            status = kUsage;
            break;
        }
    }
    if (status != kUsage)
        runService(after);
    out.flush();
    err.flush();
    return status;
}

} // namespace LedgraConsole
