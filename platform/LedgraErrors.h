#pragma once
// The two exceptions operator code raises. EAbort ends a handler silently;
// EError carries a Russian message that the handler shows to the operator.

#include <QString>
#include <exception>
#include <string>

class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "EAbort"; }
};

class EError : public std::exception {
public:
    explicit EError(QString message)
        : FMessage(std::move(message)), FUtf8(FMessage.toStdString()) {}
    const QString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    QString FMessage;
    std::string FUtf8;
};
