#pragma once
// The process-wide controller of the wizard: the class of the step that
// follows, the navigation state and the registration data the steps fill in.
// Its navigation operations forward to the one main window.

#include "wizard/frame/untRegParams.h"

#include <QByteArray>
#include <QString>

class TParamPage;

// What the controller asks of the main window.
class IWizardWindow {
public:
    virtual ~IWizardWindow() = default;
    virtual void DoNext() = 0;
    virtual void DoPrev() = 0;
    virtual void ShowFirstPage() = 0;
    virtual bool NextEnabled() const = 0;
    virtual bool PrevEnabled() const = 0;
    virtual void SetNextEnabled(bool value) = 0;
    virtual void SetPrevEnabled(bool value) = 0;
    virtual void SetHomeEnabled(bool value) = 0;
    virtual void SetSettingsEnabled(bool value) = 0;
    virtual TParamPage* PageByClass(const char* className) const = 0;
};

// Class names of the steps the frame itself names.
inline constexpr char kConnectDeviceClass[] = "TfmConnectDevice";
inline constexpr char kSelectWorkTypeClass[] = "TfmSelectWorkType";

class TController {
public:
    QByteArray PrevPageClass;
    // Class name of the step to show after the current one. A name that
    // matches no step leads to the first step.
    QByteArray NextPageClass;
    TParamPage* CurrentPage = nullptr;
    bool IsOFDSettingMode = false;
    QString SerialNumber;
    QString IP;
    bool DHCP = false;
    int TCPPort = 0;
    QString KKTName;
    QString KKTSN;
    bool Yur = false;
    bool IsRNDIS = false;
    int NetType = 0;
    bool IsComConnection = false;
    TRegParams RegParams;
    bool X5Mode = false;

    // Pressing Next / Back, each only while its button is enabled.
    void Next();
    void Prev();
    // NextPageClass := the work-type step, and the first step is shown.
    void Home();
    void EnableNext(bool value);
    void EnablePrev(bool value);
    void EnableHome(bool value);
    void EnableSettings(bool value);
    TParamPage* FindPageByClass(const char* className) const;
    template <class T> T* FindPage() const {
        return qobject_cast<T*>(FindPageByClass(T::staticMetaObject.className()));
    }
    template <class T> void SetNextPage() { NextPageClass = T::staticMetaObject.className(); }
    void SetNextPage(const char* className) { NextPageClass = className; }

    // Empties the registration data (flags and the remaining fields stay).
    void ClearRegParams();

    void SetWindow(IWizardWindow* window) { FWindow = window; }
    IWizardWindow* Window() const { return FWindow; }

private:
    IWizardWindow* FWindow = nullptr;
};

TController& Controller();
// Back to a fresh controller (tests; the main window's end).
void ResetController();
