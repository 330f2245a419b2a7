#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "anim/element_type.h"
#include "anim/track.h"

// Appends a track that writes `target` over [start, end]: a blend of from and to, or the
// coarse clock when flags holds CLOCK_DRIVEN. Prints nothing.
template <typename T>
void AppendVariable(VariableList& list, float start, float end, T* target, T from, T to, uint8_t flags = 0) {
    // The count is 16 bits wide; one more track would wrap it and misnumber the list.
    if (list.count == UINT16_MAX) {
        throw std::length_error("track list is full (65535 tracks)");
    }
    list.items.push_back(std::make_unique<Variable<T>>(start, end, target, from, to));
    BaseVariable& added = *list.items[list.count];
    added.type = TypeTagForName(ElementType<T>::name);
    added.type |= flags;
    ++list.count;
}

// Appends the track as AppendVariable does and prints the element type's name and ", ".
template <typename T>
void AddVariable(VariableList& list, float start, float end, T* target, T from, T to, uint8_t flags = 0) {
    AppendVariable<T>(list, start, end, target, from, to, flags);
    std::printf("%s, ", ElementType<T>::name);
}
