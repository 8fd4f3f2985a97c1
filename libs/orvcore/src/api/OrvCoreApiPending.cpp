// The C functions of the camera library whose engine parts come in later
// steps. They exist so that the program links; until then each one refuses:
// it does nothing and returns the error value of its kind (-1, 0.0f, false or
// an empty string), never a pretended success. None are left at present.

#include <orvcore/OrvCoreLib.h>
