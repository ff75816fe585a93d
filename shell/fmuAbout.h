#pragma once
// The about box: product line, the versions and the maker's web site.

#include "common/untBaseForm.h"

#include <memory>

namespace Ui {
class TfmAbout;
}

class TfmAbout : public TBaseForm {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget* owner = nullptr);
    ~TfmAbout() override;

    // Shows the box modally until it is closed.
    static void Execute(QWidget* owner);

signals:
    void Closed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    std::unique_ptr<Ui::TfmAbout> ui;
};
