#pragma once
#include <string>

#include "script/script_row.h"

// What is wrong with a row, in words for the person who wrote it, or "" if it can be
// registered: a field the object has, an element type of the field's width and kind, a
// start not after its end, and keys that the element type holds.
std::string RowProblem(const ScriptRow& row);

// The row's target as a script names it: "landscape.viewMode", "layer 4.amount".
std::string TargetName(const ScriptRow& row);
