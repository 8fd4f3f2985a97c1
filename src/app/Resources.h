#pragma once

// Registers the resources compiled into the application library (icon font,
// skins, images). The entry function and the tests call it once.
void initResources();
