#pragma once
// Moved to tests/support; kept so that tests which still include it here build.
#include "tests/support/PageTestSupport.h"
