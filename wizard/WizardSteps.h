#pragma once
// The wizard's steps in the order the main window creates them (the order
// decides which step a class look-up finds first).

#include "wizard/frame/fmuMain.h"

#include <vector>

std::vector<TStepDef> WizardSteps();
