#pragma once

#include <QLoggingCategory>

// The program's log on standard error, by Qt's logging categories, so that a
// user can send what happened: every message the program showed, devices
// coming and going, a second start. QT_LOGGING_RULES="orvanta.*=false"
// silences it; "orvanta.*.debug=true" adds the details.
Q_DECLARE_LOGGING_CATEGORY(lcMessage) // orvanta.message: the boxes shown to the user
Q_DECLARE_LOGGING_CATEGORY(lcCamera)  // orvanta.camera: cameras found, lost, opened
Q_DECLARE_LOGGING_CATEGORY(lcApp)     // orvanta.app: start, second starts, exit
