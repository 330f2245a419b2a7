#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "render/landscape.h"
#include "render/layer.h"
#include "render/wave_filter.h"
#include "script/script_row.h"

// The driver's layer list holds this many layers; a row may name layer 0 to LAYER_COUNT - 1.
constexpr uint8_t LAYER_COUNT = 12;

// A field that a row can name: its name and the shape of its value. A track writes the field
// with its own element type, so the two must have one width and both be floats or integers.
struct FieldInfo {
    const char* name;
    uint8_t width;  // bytes
    bool isFloat;
    bool isSigned;
};

// The objects the rows of a script write into.
struct SceneObjects {
    Landscape& landscape;
    WaveFilter& wave;
    LayerList& layers;
};

// The field of that kind of object named `name`, or nullptr. Needs no objects, so that a
// script can be checked away from the show.
const FieldInfo* FindField(Target target, std::string_view name);

// The named field of the object in `objects`, or nullptr if there is no such field or layer.
void* FieldAddress(SceneObjects& objects, ObjectRef object, std::string_view name);

// The width and kind of the element type's values, in the terms of FieldInfo.
FieldInfo ElementShape(ElementKind type);

// The element type's name as the track list prints it ("unsigned char").
const char* ElementName(ElementKind type);
