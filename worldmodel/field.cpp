#include "worldmodel/field.h"

#include <stdexcept>

const FieldGeometry& designField() {
    static const FieldGeometry field{"12x8", 12.0f, 8.0f, 1.4f, 0.8f,
                                     160.0f, false, 1.0f, 1.2f, 2.6f};
    return field;
}

const FieldGeometry& leagueField() {
    static const FieldGeometry field{"30x20", 30.0f, 20.0f, 2.1f, 0.8f,
                                     0.0f,    true,  2.0f,  1.8f, 6.0f};
    return field;
}

const FieldGeometry& fieldNamed(const std::string& name) {
    for (const FieldGeometry* field : {&designField(), &leagueField()}) {
        if (name == field->name) return *field;
    }
    throw std::invalid_argument("unknown field \"" + name + "\" (12x8 or 30x20)");
}
