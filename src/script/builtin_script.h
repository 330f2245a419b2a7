#pragma once
#include <vector>

#include "script/script_row.h"

// The show's own choreography: 187 rows in registration order, the script a run uses when
// no script file is given.
std::vector<ScriptRow> BuiltInScript();
