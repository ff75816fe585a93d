#include "common/untBaseForm.h"

#include <QToolButton>
#include <QVariant>

namespace {
bool IsPushButton(const QWidget* w) {
    return qobject_cast<const QPushButton*>(w) || qobject_cast<const QToolButton*>(w);
}
QList<QWidget*> ChildWidgets(QWidget* w) {
    return w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
}
} // namespace

int ControlTag(const QWidget* w) {
    return w->property("tag").toInt();
}
void SetControlTag(QWidget* w, int tag) {
    w->setProperty("tag", tag);
}

void EnableControlButtons(QWidget* control, bool value, QPointer<QWidget>& focusedButton) {
    for (QWidget* child : ChildWidgets(control))
        EnableControlButtons(child, value, focusedButton);
    if (!IsPushButton(control))
        return;
    if (value) {
        control->setEnabled(true);
        if (control == focusedButton)
            control->setFocus();
    } else {
        if (control->hasFocus())
            focusedButton = control;
        control->setEnabled(false);
    }
}

void EnableWinControl(QWidget* control, bool value) {
    if (!value) {
        if (control->isEnabled()) {
            SetControlTag(control, 1);
            control->setEnabled(false);
        }
    } else if (ControlTag(control) == 1) {
        control->setEnabled(true);
        SetControlTag(control, 0);
    }
}

void EnableControlsFocused(QWidget* control, bool value, QPointer<QWidget>& focusedControl) {
    for (QWidget* child : ChildWidgets(control))
        EnableControlsFocused(child, value, focusedControl);
    if (!IsPushButton(control))
        return;
    if (!value && control->hasFocus())
        focusedControl = control;
    EnableWinControl(control, value);
    if (value && control == focusedControl && control->isEnabled() &&
        control->focusPolicy() != Qt::NoFocus)
        control->setFocus();
}

TBaseForm::TBaseForm(QWidget* parent, Qt::WindowFlags f) : QWidget(parent, f) {}

void TBaseForm::EnableButtons(bool value) {
    EnableControlsFocused(this, value, FActiveControl);
}
