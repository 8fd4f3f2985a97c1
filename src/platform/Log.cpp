#include "platform/Log.h"

// Information and above are on by default; debug lines are asked for.
Q_LOGGING_CATEGORY(lcMessage, "orvanta.message", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCamera, "orvanta.camera", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "orvanta.app", QtInfoMsg)
