#pragma once
// Steps "Проверка связи по Ethernet" and "Проверка связи по RNDIS": the
// network-link check runs in the background while the step shows its text.

#include "wizard/frame/ParamPage.h"
#include "wizard/search/untCheckLANWorkTask.h"

#include <QTimer>
#include <memory>

namespace Ui {
class TfmCheckLAN;
}

// The two check steps differ only in their caption.
class TfmCheckLAN : public TParamPage {
    Q_OBJECT
public:
    ~TfmCheckLAN() override;

    void OnShow() override;
    void Next() override;

    // Runs the check (again): navigation off until it completes.
    void Start();
    // Asks the running check to stop.
    void StopCheck();
    TCheckLANWorkTask& Task() { return *FTask; }

protected:
    TfmCheckLAN(const QString& caption, QWidget* parent);

private:
    void UpdateView();
    void TaskCompleted();
    static void EnableNavigation(bool enable);

    std::unique_ptr<Ui::TfmCheckLAN> ui;
    std::unique_ptr<TCheckLANWorkTask> FTask;
    QTimer FTimer;
};

class TfmCheckEthernet : public TfmCheckLAN {
    Q_OBJECT
public:
    explicit TfmCheckEthernet(QWidget* parent = nullptr);
};

class TfmCheckRNDIS : public TfmCheckLAN {
    Q_OBJECT
public:
    explicit TfmCheckRNDIS(QWidget* parent = nullptr);
};
