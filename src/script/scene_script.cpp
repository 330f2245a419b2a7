#include "script/scene_script.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "anim/registration.h"
#include "script/script_check.h"

namespace {

template <typename T>
void RegisterRow(VariableList& list, const ScriptRow& row, T* target, TypeNames names) {
    auto add = names == TypeNames::Print ? AddVariable<T> : AppendVariable<T>;
    if (IsClockRow(row)) {
        add(list, row.start, row.end, target, *target, *target, CLOCK_DRIVEN);
    } else {
        add(list, row.start, row.end, target, static_cast<T>(row.from), static_cast<T>(row.to), 0);
    }
}

// The field of every row, after checking that each row fits.
std::vector<void*> CheckedTargets(VariableList& list, std::span<const ScriptRow> rows,
                                  SceneObjects& objects) {
    if (rows.size() > static_cast<size_t>(UINT16_MAX - list.count)) {
        throw std::logic_error("scene script: more tracks than the track list holds");
    }
    std::vector<void*> targets;
    for (const ScriptRow& row : rows) {
        const std::string problem = RowProblem(row);
        void* address = FieldAddress(objects, row.object, row.field);
        if (!problem.empty() || address == nullptr) {
            throw std::logic_error("scene script: row on " + TargetName(row) + ": " +
                                   (problem.empty() ? "no such object" : problem));
        }
        targets.push_back(address);
    }
    return targets;
}

}  // namespace

void RegisterSceneScript(VariableList& list, std::span<const ScriptRow> rows, SceneObjects objects,
                         TypeNames names) {
    const std::vector<void*> targets = CheckedTargets(list, rows, objects);
    for (size_t i = 0; i < rows.size(); ++i) {
        WithElementType(rows[i].type, [&](auto value) {
            using T = decltype(value);
            RegisterRow<T>(list, rows[i], static_cast<T*>(targets[i]), names);
        });
    }
}
