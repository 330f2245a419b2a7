#pragma once
#include "anim/track.h"

// One track's part of UpdateVariables: writes its target if `time` lies in its span and the
// track is active, then retires it if `time` has reached its end.
void UpdateVariable(BaseVariable& track, float time);

// The field a track writes, nullptr for a track that writes nothing (no target, or a type byte
// without an element type).
void* TargetOf(BaseVariable& track);

// Lets every track write its target if `time` lies in its span, in registration order,
// and retires the tracks whose end has been reached. Clock-driven tracks write demoTimeTens.
void UpdateVariables(VariableList& list, float time);

// Makes every track active again, as registration leaves it.
void RearmVariables(VariableList& list);
