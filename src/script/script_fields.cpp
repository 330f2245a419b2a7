#include "script/script_fields.h"

#include <type_traits>

#include "anim/element_type.h"

namespace {

template <typename>
struct MemberOf;

template <typename Object, typename Field>
struct MemberOf<Field Object::*> {
    using ObjectType = Object;
    using FieldType = Field;
};

template <typename Object>
struct FieldEntry {
    FieldInfo info;
    void* (*address)(Object&);
};

template <typename Field>
constexpr FieldInfo ShapeOf(const char* name) {
    return {name, sizeof(Field), std::is_floating_point_v<Field>, std::is_signed_v<Field>};
}

// The entry of one data member: its name in scripts, its shape and how to find it.
template <auto member>
constexpr FieldEntry<typename MemberOf<decltype(member)>::ObjectType> Entry(const char* name) {
    using Traits = MemberOf<decltype(member)>;
    return {ShapeOf<typename Traits::FieldType>(name),
            [](typename Traits::ObjectType& object) -> void* { return &(object.*member); }};
}

// The landscape's animated inputs; its maps, tables and scratch fields are not among them.
constexpr FieldEntry<LandscapeFields> LANDSCAPE_FIELDS[] = {
    Entry<&Landscape::enabled>("enabled"),
    Entry<&Landscape::viewMode>("viewMode"),
    Entry<&Landscape::shadeFlags>("shadeFlags"),
    Entry<&Landscape::lightClockX>("lightClockX"),
    Entry<&Landscape::lightClockY>("lightClockY"),
    Entry<&Landscape::lightRateX>("lightRateX"),
    Entry<&Landscape::lightRateY>("lightRateY"),
    Entry<&Landscape::scaleX>("scaleX"),
    Entry<&Landscape::scaleY>("scaleY"),
    Entry<&Landscape::slopeBiasX>("slopeBiasX"),
    Entry<&Landscape::slopeBiasY>("slopeBiasY"),
    Entry<&Landscape::advanceClock>("advanceClock"),
    Entry<&Landscape::advanceRate>("advanceRate"),
    Entry<&Landscape::pathClockX>("pathClockX"),
    Entry<&Landscape::pathClockY>("pathClockY"),
    Entry<&Landscape::pathRateX>("pathRateX"),
    Entry<&Landscape::pathRateY>("pathRateY"),
    Entry<&Landscape::pathPhaseX>("pathPhaseX"),
    Entry<&Landscape::pathPhaseY>("pathPhaseY"),
    Entry<&Landscape::pathFlags>("pathFlags"),
    Entry<&Landscape::heightSource>("heightSource"),
    Entry<&Landscape::colourSource>("colourSource"),
    Entry<&Landscape::clearValue>("clearValue"),
    Entry<&Landscape::columnShift>("columnShift"),
    Entry<&Landscape::mapOffsetX>("mapOffsetX"),
    Entry<&Landscape::mapOffsetY>("mapOffsetY"),
    Entry<&Landscape::swayEnabled>("swayEnabled"),
    Entry<&Landscape::swayClock>("swayClock"),
    Entry<&Landscape::swayRate>("swayRate"),
    Entry<&Landscape::swayAmount>("swayAmount"),
};

// The filter's switch and inputs; its size and snapshot stay as the driver built them.
constexpr FieldEntry<WaveFields> WAVE_FIELDS[] = {
    Entry<&WaveFilter::phase>("phase"),
    Entry<&WaveFilter::enabled>("enabled"),
    Entry<&WaveFilter::amplitude>("amplitude"),
    Entry<&WaveFilter::frequency>("frequency"),
};

constexpr FieldEntry<LayerFields> LAYER_FIELDS[] = {
    Entry<&Layer::visible>("visible"),
    Entry<&Layer::amount>("amount"),
};

template <typename Object, size_t N>
const FieldEntry<Object>* Find(const FieldEntry<Object> (&entries)[N], std::string_view name) {
    for (const FieldEntry<Object>& entry : entries) {
        if (name == entry.info.name) {
            return &entry;
        }
    }
    return nullptr;
}

template <typename Object, size_t N>
const FieldInfo* InfoIn(const FieldEntry<Object> (&entries)[N], std::string_view name) {
    const FieldEntry<Object>* entry = Find(entries, name);
    return entry == nullptr ? nullptr : &entry->info;
}

template <typename Object, size_t N>
void* AddressIn(const FieldEntry<Object> (&entries)[N], std::type_identity_t<Object>& object,
                std::string_view name) {
    const FieldEntry<Object>* entry = Find(entries, name);
    return entry == nullptr ? nullptr : entry->address(object);
}

}  // namespace

const FieldInfo* FindField(Target target, std::string_view name) {
    switch (target) {
        case Target::Landscape:
            return InfoIn(LANDSCAPE_FIELDS, name);
        case Target::Wave:
            return InfoIn(WAVE_FIELDS, name);
        case Target::Layer:
            return InfoIn(LAYER_FIELDS, name);
    }
    return nullptr;
}

void* FieldAddress(SceneObjects& objects, ObjectRef object, std::string_view name) {
    switch (object.target) {
        case Target::Landscape:
            return AddressIn(LANDSCAPE_FIELDS, objects.landscape, name);
        case Target::Wave:
            return AddressIn(WAVE_FIELDS, objects.wave, name);
        case Target::Layer:
            if (object.layer >= objects.layers.items.size() ||
                objects.layers.items[object.layer] == nullptr) {
                return nullptr;
            }
            return AddressIn(LAYER_FIELDS, *objects.layers.items[object.layer], name);
    }
    return nullptr;
}

FieldInfo ElementShape(ElementKind type) {
    return WithElementType(type, [](auto value) {
        using T = decltype(value);
        return ShapeOf<T>(ElementType<T>::name);
    });
}

const char* ElementName(ElementKind type) {
    return ElementShape(type).name;
}
