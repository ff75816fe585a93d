#include "common/fmuReasonCodes.h"

#include "driver/untTexts.h"
#include "platform/LedgraErrors.h"
#include "platform/Translation.h"
#include "ui_fmuReasonCodes.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// The reasons of tag 1205, by bit. The dialog numbers them bit + 1.
constexpr TReasonCode kReasons[] = {
    {0, TrNoop("Замена фискального накопителя")},
    {1, TrNoop("Замена оператора фискальных данных")},
    {2, TrNoop("Изменение наименования пользователя контрольно-кассовой техники")},
    {3,
     TrNoop("Изменение адреса и (или) места установки (применения) контрольно-кассовой техники")},
    {4, TrNoop("Перевод ККТ из автономного режима в режим передачи данных")},
    {5, TrNoop("Перевод ККТ из режима передачи данных в автономный режим")},
    {6, TrNoop("Изменение версии модели ККТ")},
    {7, TrNoop("Изменение перечня систем налогообложения, применяемых при осуществлении расчетов")},
    {8, TrNoop("Изменение номера автоматического устройства для расчетов, в составе которого "
               "применяется ККТ")},
    {9, TrNoop("Перевод ККТ из автоматического режима в неавтоматический режим (осуществление "
               "расчетов кассиром)")},
    {10, TrNoop("Перевод ККТ из неавтоматического режима (осуществление расчетов кассиром) в "
                "автоматический режим")},
    {11, TrNoop("Перевод ККТ из режима, не позволяющего формировать БСО, в режим, позволяющий "
                "формировать БСО")},
    {12, TrNoop("Перевод ККТ из режима, позволяющего формировать БСО, в режим, не позволяющий "
                "формировать БСО")},
    {13, TrNoop("Перевод ККТ из режима расчетов в сети Интернет (позволяющего не печатать кассовый "
                "чек и БСО) в режим, позволяющий печатать кассовый чек и БСО")},
    {14, TrNoop("Перевод ККТ из режима, позволяющего печатать кассовый чек и БСО, в режим расчетов "
                "в сети Интернет (позволяющего не печатать кассовый чек и БСО)")},
    {15, TrNoop("Перевод ККТ из режима, позволяющего оказывать услуги платежного агента "
                "(субагента) или банковского платежного агента, в режим, не позволяющий оказывать "
                "услуги платежного агента (субагента) или банковского платежного агента")},
    {16, TrNoop("Перевод ККТ из режима, не позволяющего оказывать услуги платежного агента "
                "(субагента) или банковского платежного агента в режим, позволяющий оказывать "
                "услуги платежного агента (субагента) или банковского платежного агента")},
    {17,
     TrNoop(
         "Перевод ККТ из режима, позволяющего применять ККТ при приеме ставок и выплате денежных "
         "средств в виде выигрыша при осуществлении деятельности по проведению азартных игр, в "
         "режим, не позволяющий применять ККТ при приеме ставок и выплате денежных средств в виде "
         "выигрыша при осуществлении деятельности по проведению азартных игр")},
    {18,
     TrNoop("Перевод ККТ из режима, не позволяющего применять ККТ при приеме ставок и выплате "
            "денежных средств в виде выигрыша при осуществлении деятельности по проведению "
            "азартных игр, в режим, позволяющий применять ККТ при приеме ставок и выплате денежных "
            "средств в виде выигрыша при осуществлении деятельности по проведению азартных игр")},
    {19, TrNoop("Перевод ККТ из режима, позволяющего применять ККТ при приеме денежных средств при "
                "реализации лотерейных билетов, электронных лотерейных билетов, приеме лотерейных "
                "ставок и выплате денежных средств в виде выигрыша при осуществлении деятельности "
                "по проведению лотерей, в режим, не позволяющий применять ККТ при приеме денежных "
                "средств при реализации лотерейных билетов, электронных лотерейных билетов, приеме "
                "лотерейных ставок и выплате денежных средств в виде выигрыша при осуществлении "
                "деятельности по проведению лотерей")},
    {20,
     TrNoop(
         "Перевод ККТ из режима, не позволяющего применять ККТ при приеме денежных средств при "
         "реализации лотерейных билетов, электронных лотерейных билетов, приеме лотерейных ставок "
         "и выплате денежных средств в виде выигрыша при осуществлении деятельности по проведению "
         "лотерей, в режим, позволяющий применять ККТ при приеме денежных средств при реализации "
         "лотерейных билетов, электронных лотерейных билетов, приеме лотерейных ставок и выплате "
         "денежных средств в виде выигрыша при осуществлении деятельности по проведению лотерей")},
    {21, TrNoop("Изменение версии ФФД")},
    {31, TrNoop("Иные причины")},
};

QPointer<TfmReasonCodes> gInstance;

// Decimal digits with an optional sign, within 64 bits.
qint64 StrToInt64Checked(const QString& text) {
    const QString s = text.trimmed();
    bool ok = !s.isEmpty();
    for (qsizetype i = 0; ok && i < s.size(); ++i) {
        const QChar c = s[i];
        const bool sign = i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'));
        ok = sign || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
    }
    const qint64 value = ok ? s.toLongLong(&ok) : 0;
    if (!ok)
        throw EError(Text(TText::NotInteger, text));
    return value;
}

} // namespace

std::span<const TReasonCode> RegistrationReasonCodes() {
    return kReasons;
}

QString ReasonCodesToStr(qint64 value) {
    // The driver keeps the mask in a signed 32-bit property.
    if (value < 0 && value >= INT32_MIN)
        return QString::number(quint32(qint32(value)));
    return QString::number(value);
}

TfmReasonCodes::TfmReasonCodes(QWidget* parent)
    : TBaseForm(parent, Qt::Dialog), ui(std::make_unique<Ui::TfmReasonCodes>()) {
    ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    for (const TReasonCode& r : kReasons) {
        auto* box = new QCheckBox(QStringLiteral("%1. %2").arg(r.bit + 1).arg(Tr(r.text)),
                                  ui->ScrollBoxContents);
        box->setObjectName(QStringLiteral("cbReason%1").arg(r.bit));
        SetControlTag(box, r.bit);
        ui->ScrollBoxLayout->addWidget(box);
        FBoxes << box;
    }
    ui->ScrollBoxLayout->addStretch();
    ui->ScrollBox->viewport()->installEventFilter(this);
    connect(ui->btnOK, &QPushButton::clicked, this, [this] {
        FAccepted = true;
        close();
    });
}

TfmReasonCodes::~TfmReasonCodes() {
    if (FLoop)
        FLoop->quit();
}

void TfmReasonCodes::SetMask(quint64 mask) {
    for (QCheckBox* box : FBoxes) {
        const int bit = ControlTag(box);
        box->setChecked(bit < 32 && (mask >> bit) & 1);
    }
}

quint32 TfmReasonCodes::Mask() const {
    quint32 mask = 0;
    for (QCheckBox* box : FBoxes)
        if (box->isChecked())
            mask |= quint32(1) << ControlTag(box);
    return mask;
}

bool TfmReasonCodes::ShowModal() {
    FAccepted = false;
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    FLoop = &loop;
    if (isVisible())
        loop.exec();
    FLoop = nullptr;
    return FAccepted;
}

std::optional<QString> TfmReasonCodes::Execute(const QString& maskText) {
    SetMask(quint64(StrToInt64Checked(maskText)));
    if (!ShowModal())
        return std::nullopt;
    return QString::number(Mask());
}

void TfmReasonCodes::closeEvent(QCloseEvent* event) {
    TBaseForm::closeEvent(event);
    if (event->isAccepted() && FLoop)
        FLoop->quit();
}

bool TfmReasonCodes::eventFilter(QObject* watched, QEvent* event) {
    // The wheel scrolls the list by its amount; with Shift, sideways.
    if (watched == ui->ScrollBox->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        const int amount = delta.y() != 0 ? delta.y() : delta.x();
        QScrollBar* bar = wheel->modifiers() & Qt::ShiftModifier
                              ? ui->ScrollBox->horizontalScrollBar()
                              : ui->ScrollBox->verticalScrollBar();
        bar->setValue(bar->value() - amount);
        return true;
    }
    return TBaseForm::eventFilter(watched, event);
}

void CreateReasonCodesDialog(QWidget* mainWindow) {
    if (!gInstance)
        gInstance = new TfmReasonCodes(mainWindow);
}

TfmReasonCodes* ReasonCodesDialog() {
    if (!gInstance)
        gInstance = new TfmReasonCodes();
    return gInstance;
}
