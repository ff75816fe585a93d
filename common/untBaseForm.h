#pragma once
// The base of every form of the programs, and the two ways of switching a
// form's push buttons off and on around a driver call.

#include <QPointer>
#include <QPushButton>
#include <QWidget>

// The "tag" of a control, kept as a dynamic property: 1000 leaves a control
// and its children out of the saved state; the dialog variant below marks the
// buttons it switched off with 1.
int ControlTag(const QWidget* w);
void SetControlTag(QWidget* w, int tag);

// Page variant: every push button inside Control (children first) is switched
// off, remembering the focused one, or on, giving the remembered one focus.
void EnableControlButtons(QWidget* control, bool value, QPointer<QWidget>& focusedButton);
// Dialog variant: switching on enables only the buttons this switched off.
void EnableWinControl(QWidget* control, bool value);
void EnableControlsFocused(QWidget* control, bool value, QPointer<QWidget>& focusedControl);

class TBaseForm : public QWidget {
    Q_OBJECT
public:
    explicit TBaseForm(QWidget* parent = nullptr, Qt::WindowFlags f = {});
    virtual void EnableButtons(bool value);

protected:
    QPointer<QWidget> FActiveControl;
};
