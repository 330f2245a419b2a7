#include <cstring>

#include "anim/element_type.h"

uint8_t TypeTagForName(const char* name) {
    struct NamedTag {
        const char* name;
        uint8_t tag;
    };
    static constexpr NamedTag tags[] = {
        {"char", 0x01}, {"unsigned char", 0x02}, {"short", 0x04}, {"unsigned short", 0x08},
        {"int", 0x10},  {"unsigned int", 0x20},  {"float", 0x40},
    };
    for (const NamedTag& entry : tags) {
        if (std::strcmp(name, entry.name) == 0) {
            return entry.tag;
        }
    }
    return 0;
}
