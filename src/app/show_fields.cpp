#include "app/show_fields.h"

#include "app/show.h"
#include "render/random.h"

ShowFields CaptureFields(const Show& show) {
    ShowFields fields;
    fields.landscape = *show.landscape;
    fields.wave = show.wave;
    for (const auto& layer : show.layers.items) {
        fields.layers.push_back(layer != nullptr ? LayerFields(*layer) : LayerFields{});
    }
    fields.random = randomState;
    return fields;
}

void RestoreFields(Show& show, const ShowFields& fields) {
    static_cast<LandscapeFields&>(*show.landscape) = fields.landscape;
    static_cast<WaveFields&>(show.wave) = fields.wave;
    for (size_t i = 0; i < show.layers.items.size() && i < fields.layers.size(); ++i) {
        if (show.layers.items[i] != nullptr) {
            static_cast<LayerFields&>(*show.layers.items[i]) = fields.layers[i];
        }
    }
    randomState = fields.random;
}
