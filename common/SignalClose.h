#pragma once
// SIGTERM and SIGINT close the window as the operator's close does, so the
// program ends through its normal path (state saved, threads stopped).

class QWidget;

void CloseOnSignals(QWidget* window);
