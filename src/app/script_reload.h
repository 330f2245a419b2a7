#pragma once
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/script_watch.h"
#include "app/seek.h"
#include "app/show.h"
#include "script/script_row.h"

// Watches the played show's script file for saves. When its folder cannot be watched, one line
// on standard error says why and the show plays without reloading (nullptr).
std::unique_ptr<ScriptWatch> WatchScriptFile(const std::string& path);

// The rows of the latest save since the last call, if it has no error. A save with an error
// prints its line on standard error and gives nothing, so the show plays on with what it has;
// so does a watch that was lost.
std::optional<std::vector<ScriptRow>> TakeGoodSave(ScriptWatch& watch);

// Puts the rows' tracks in place of the show's and brings the show to `target` as the new
// script has it there: the tracks are registered, without printing, on the fields of start-up
// (a clock row keeps its field's value as keys, as at start-up), then the seek replays them and
// draws the frame. The start-up fields themselves stay: registration writes no field. Rows
// that do not fit (which a checked save never has) throw std::logic_error before the show's
// tracks are replaced.
void SwitchScript(Show& show, std::span<const ScriptRow> rows, const DrawingSteps& steps,
                  const SeekTarget& target);
