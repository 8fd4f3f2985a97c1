#include "annotation/AnnotationSettings.h"

#include "app/MainForm.h"

namespace annotation {

Settings* currentSettings() {
    static Settings fallback;
    return theMainForm ? &theMainForm->cfg : &fallback;
}

} // namespace annotation
