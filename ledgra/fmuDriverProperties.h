#pragma once
// The component's own settings dialog (ShowProperties).

#include "driver/ILedgra.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TfmDriverProperties;
}

class TfmDriverProperties : public QDialog {
    Q_OBJECT
public:
    TfmDriverProperties(ILedgra& object, QWidget* parent = nullptr);
    ~TfmDriverProperties() override;

    // Copies the fields into the object's properties; false (with a message
    // box) when a field holds a value that cannot be used.
    bool Apply();
    void accept() override;

private:
    void Load();
    void UpdateControls();
    void CheckConnection();

    ILedgra& FObject;
    std::unique_ptr<Ui::TfmDriverProperties> ui;
};

// Shows the dialog modally; true when closed with OK (values applied).
bool ShowDriverPropertiesDialog(ILedgra& object);
