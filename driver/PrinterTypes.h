#pragma once
// Texts of the codes the fiscal storage reports: its error codes and the
// types of its documents. Pure functions; every text goes through Tr().

#include <QString>

// "Неизвестный код ошибки" for a code the fiscal storage does not define.
QString GetFNErrorDescription(int code);
// The type of a document found by its number (tag 1000 values).
QString FNFindDocumentTypeToStr(int code);
// The type of the document open in the fiscal storage, as its status says.
QString FNStatusDocumentTypeToStr(int code);
