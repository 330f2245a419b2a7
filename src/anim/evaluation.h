#pragma once
#include "anim/track.h"

// Lets every track write its target if `time` lies in its span, in registration order,
// and retires the tracks whose end has been reached. Clock-driven tracks write demoTimeTens.
void UpdateVariables(VariableList& list, float time);
