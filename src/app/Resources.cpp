#include "app/Resources.h"

#include <QtGlobal>

void initResources() {
    Q_INIT_RESOURCE(fonts);
    Q_INIT_RESOURCE(skins);
}
