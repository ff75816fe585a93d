#include "wizard/frame/untController.h"

TController& Controller() {
    static TController controller;
    return controller;
}

void ResetController() {
    Controller() = TController();
}

void TController::Next() {
    if (FWindow && FWindow->NextEnabled())
        FWindow->DoNext();
}

void TController::Prev() {
    if (FWindow && FWindow->PrevEnabled())
        FWindow->DoPrev();
}

void TController::Home() {
    NextPageClass = kSelectWorkTypeClass;
    if (FWindow)
        FWindow->ShowFirstPage();
}

void TController::EnableNext(bool value) {
    if (FWindow && FWindow->NextEnabled() != value)
        FWindow->SetNextEnabled(value);
}

void TController::EnablePrev(bool value) {
    if (FWindow && FWindow->PrevEnabled() != value)
        FWindow->SetPrevEnabled(value);
}

void TController::EnableHome(bool value) {
    if (FWindow)
        FWindow->SetHomeEnabled(value);
}

void TController::EnableSettings(bool value) {
    if (FWindow)
        FWindow->SetSettingsEnabled(value);
}

TParamPage* TController::FindPageByClass(const char* className) const {
    return FWindow ? FWindow->PageByClass(className) : nullptr;
}

void TController::ClearRegParams() {
    TRegParams& r = RegParams;
    for (QString* s : {&r.INN, &r.RNM, &r.User, &r.Cashier, &r.Address, &r.AutomatNumber,
                       &r.TaxOfficeURL, &r.SenderEmail, &r.PayPlace, &r.OFDName, &r.OFDUrl,
                       &r.OFDINN, &r.OFDServer, &r.CashierINN})
        s->clear();
    r.TaxSystem = r.Agent = r.WorkMode = r.WorkModeEx = 255;
    r.ReasonCode = 255;
    r.FFD = 255;
    r.OFDPort = 0;
}
