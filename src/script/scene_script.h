#pragma once
#include <span>

#include "anim/track.h"
#include "script/script_fields.h"
#include "script/script_row.h"

// Whether registration prints each track's element type, as the show does at start-up.
enum class TypeNames { Print, Quiet };

// Registers the rows, in order, on the fields of the driver's objects; the layer list must
// already hold its twelve layers. Every row is checked before the first is registered, and a
// row that does not fit (which a parsed script never has) throws std::logic_error.
void RegisterSceneScript(VariableList& list, std::span<const ScriptRow> rows, SceneObjects objects,
                         TypeNames names = TypeNames::Print);
