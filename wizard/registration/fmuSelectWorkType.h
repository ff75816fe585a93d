#pragma once
// The step "Выберите тип работы": the job of this run. Every job starts from
// empty registration data.

#include "wizard/frame/ParamPage.h"

#include <memory>

namespace Ui {
class TfmSelectWorkType;
}

class TfmSelectWorkType : public TParamPage {
    Q_OBJECT
public:
    explicit TfmSelectWorkType(QWidget* parent = nullptr);
    ~TfmSelectWorkType() override;

    void OnShow() override;
    void Next() override;

private:
    std::unique_ptr<Ui::TfmSelectWorkType> ui;
};
