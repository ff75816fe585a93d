#pragma once
// Small helpers the wizard's steps share for their controls.

#include <QApplication>
#include <QPalette>
#include <QWidget>

// An edit that is switched off shows the button-face colour, one that is on
// the window colour, so the operator sees at once which fields are input.
inline void SetEditEnabled(QWidget* edit, bool enabled) {
    edit->setEnabled(enabled);
    QPalette p = edit->palette();
    const QPalette base = QApplication::palette(edit);
    p.setColor(QPalette::Base, enabled ? base.color(QPalette::Base) : base.color(QPalette::Button));
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Base));
    edit->setPalette(p);
}
