#include "annotation/AnnotationSettings.h"

#include "config/Settings.h"

namespace annotation {

namespace {
Settings* shared = nullptr;
}

Settings* currentSettings() {
    static Settings fallback;
    return shared ? shared : &fallback;
}

void useSettings(Settings* settings) {
    shared = settings;
}

} // namespace annotation
