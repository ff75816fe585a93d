#include "shell/fmuAbout.h"

#include "platform/Translation.h"
#include "ui_fmuAbout.h"

#include <QEventLoop>

TfmAbout::TfmAbout(QWidget* owner)
    : TBaseForm(owner, Qt::Dialog), ui(std::make_unique<Ui::TfmAbout>()) {
    Q_INIT_RESOURCE(shell);
    ui->setupUi(this);
    const QString version = QStringLiteral("%1.%2.%3.%4")
                                .arg(VEXA_VERSION_MAJOR)
                                .arg(VEXA_VERSION_MINOR)
                                .arg(VEXA_VERSION_PATCH)
                                .arg(VEXA_VERSION_TWEAK);
    ui->lblDriverVersion->setText(version);
    ui->lblTestVersion->setText(version);
    connect(ui->btnOK, &QPushButton::clicked, this, &QWidget::close);
}

TfmAbout::~TfmAbout() = default;

void TfmAbout::hideEvent(QHideEvent* event) {
    TBaseForm::hideEvent(event);
    emit Closed();
}

void TfmAbout::Execute(QWidget* owner) {
    TfmAbout form(owner);
    form.setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(&form, &TfmAbout::Closed, &loop, &QEventLoop::quit);
    form.show();
    loop.exec();
}
