#pragma once
// The step "Настройки ОФД": the fiscal data operator's settings, pre-filled
// from the registration data or the register, loaded from and saved to
// operator templates.

#include "wizard/frame/ParamPage.h"
#include "wizard/registration/untOFDTemplates.h"

#include <QStringList>
#include <memory>

namespace Ui {
class TfmOFDParams;
}

class TfmOFDParams : public TParamPage {
    Q_OBJECT
public:
    explicit TfmOFDParams(QWidget* parent = nullptr);
    ~TfmOFDParams() override;

    void OnShow() override;
    void Next() override;

private:
    void FillTemplateList();
    void FillFields();
    void cbTemplatesChange(int index);
    void btnOpenTemplateClick();
    void btnSaveTemplateClick();
    TOFDTemplate ShownValues() const;
    void ShowValues(const TOFDTemplate& values);

    std::unique_ptr<Ui::TfmOFDParams> ui;
    QStringList FTemplateFiles;
    TOFDTemplate FDefaults;
    QMetaObject::Connection FTemplateHandler;
};
