#include "shell/untSettings.h"

#include "common/RunHandler.h"
#include "common/untBaseForm.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTextEdit>

std::unique_ptr<QSettings> OpenSettings() {
    auto s = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                         QStringLiteral("Vexa"), QStringLiteral("tallytest"));
    s->beginGroup(QStringLiteral("Tests/Tallyport/A4/Param"));
    return s;
}

namespace {
constexpr int kSkipTag = 1000;

// A value that cannot be read as the control's kind.
struct EBadValue {};

int ToInt(const QVariant& v) {
    bool ok = false;
    const int i = v.toInt(&ok);
    if (!ok)
        throw EBadValue();
    return i;
}

double ToDouble(const QVariant& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        throw EBadValue();
    return d;
}

// A hand-edited "a, b" reads back as a list: it was that text.
QString ToText(const QVariant& v) {
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    if (!v.canConvert<QString>())
        throw EBadValue();
    return v.toString();
}

bool ToBool(const QVariant& v) {
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    const QString s = v.toString().toLower();
    if (s == QLatin1String("true") || s == QLatin1String("1"))
        return true;
    if (s == QLatin1String("false") || s == QLatin1String("0"))
        return false;
    throw EBadValue();
}

QDateTime ToDateTime(const QVariant& v) {
    const QDateTime dt = v.toDateTime();
    if (!dt.isValid())
        throw EBadValue();
    return dt;
}

// A group box of radio buttons is a radio group: its item index is the
// checked one among its radio buttons.
QList<QRadioButton*> RadioItems(const QGroupBox* g) {
    return g->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
}

bool IsReadOnly(const QWidget* w) {
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->isReadOnly();
    if (const auto* m = qobject_cast<const QPlainTextEdit*>(w))
        return m->isReadOnly();
    if (const auto* m = qobject_cast<const QTextEdit*>(w))
        return m->isReadOnly();
    return false;
}

// Controls whose insides are Qt's own, never walked into.
bool IsLeaf(const QWidget* w) {
    return qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
           qobject_cast<const QAbstractSlider*>(w);
}

// The value of a control of a kind that is saved; invalid for the others.
QVariant ValueOf(QWidget* w) {
    if (IsReadOnly(w))
        return {};
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text().left(kMaxSavedText);
    if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        return m->toPlainText().left(kMaxSavedText);
    if (auto* m = qobject_cast<QTextEdit*>(w))
        return m->toPlainText().left(kMaxSavedText);
    if (auto* s = qobject_cast<QSpinBox*>(w))
        return s->value();
    if (auto* s = qobject_cast<QDoubleSpinBox*>(w))
        return s->value();
    if (auto* d = qobject_cast<QDateTimeEdit*>(w))
        return d->dateTime();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentIndex();
    if (auto* c = qobject_cast<QCheckBox*>(w))
        return c->isChecked();
    if (auto* r = qobject_cast<QRadioButton*>(w))
        return r->isChecked();
    if (auto* s = qobject_cast<QAbstractSlider*>(w))
        return s->value();
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        const auto items = RadioItems(g);
        if (items.isEmpty())
            return {};
        for (int i = 0; i < items.size(); ++i)
            if (items[i]->isChecked())
                return i;
        return -1;
    }
    return {};
}

void Apply(QWidget* w, const QVariant& v) {
    if (IsReadOnly(w))
        return;
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(ToText(v));
    else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        m->setPlainText(ToText(v));
    else if (auto* m = qobject_cast<QTextEdit*>(w))
        m->setPlainText(ToText(v));
    else if (auto* s = qobject_cast<QSpinBox*>(w))
        s->setValue(ToInt(v));
    else if (auto* s = qobject_cast<QDoubleSpinBox*>(w))
        s->setValue(ToDouble(v));
    else if (auto* d = qobject_cast<QDateTimeEdit*>(w))
        d->setDateTime(ToDateTime(v));
    else if (auto* c = qobject_cast<QComboBox*>(w)) {
        const int i = ToInt(v);
        c->setCurrentIndex(i < 0 || i >= c->count() ? 0 : i);
    } else if (auto* c = qobject_cast<QCheckBox*>(w))
        c->setChecked(ToBool(v));
    else if (auto* r = qobject_cast<QRadioButton*>(w))
        r->setChecked(ToBool(v));
    else if (auto* s = qobject_cast<QAbstractSlider*>(w))
        s->setValue(ToInt(v));
    else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        const auto items = RadioItems(g);
        const int i = ToInt(v);
        if (i >= 0 && i < items.size())
            items[i]->setChecked(true);
    }
}

bool IsTransparent(const QWidget* w) {
    const QString name = w->objectName();
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

// Calls fn(child, value name) for every control of the walk, children first.
template <typename Fn> void Walk(const QString& prefix, QWidget* container, Fn&& fn) {
    for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (ControlTag(child) == kSkipTag)
            continue;
        if (IsTransparent(child)) {
            if (!IsLeaf(child))
                Walk(prefix, child, fn);
            continue;
        }
        const QString name = prefix + QLatin1Char('.') + child->objectName();
        if (!IsLeaf(child))
            Walk(name, child, fn);
        fn(child, name);
    }
}
} // namespace

void SaveControlParams(const QString& prefix, QWidget* container, QSettings& key) {
    Walk(prefix, container, [&](QWidget* w, const QString& name) {
        const QVariant v = ValueOf(w);
        if (v.isValid())
            key.setValue(name, v);
    });
}

void LoadControlParams(const QString& prefix, QWidget* container, QSettings& key) {
    Walk(prefix, container, [&](QWidget* w, const QString& name) {
        if (!ValueOf(w).isValid() || !key.contains(name))
            return;
        const QVariant v = key.value(name);
        try {
            Apply(w, v);
        } catch (const EBadValue&) {
            qWarning("settings: %s: the value %s cannot be read", qUtf8Printable(name),
                     qUtf8Printable(v.toString()));
        } catch (const std::exception& e) {
            // A control's own handler refused the value.
            qWarning("settings: %s: %s", qUtf8Printable(name), qUtf8Printable(ErrorText(e)));
        }
    });
}
