// Names of the attributes that the layout database keeps on components and pins.
#pragma once
#include "host/Types.h"

extern LQ_HOST_API const char* const LQ_GATE;       // gate name of a pin
extern LQ_HOST_API const char* const LQ_GATEGROUP;  // group of equivalent gates of a pin
extern LQ_HOST_API const char* const LQ_PINGROUP;   // group of interchangeable pins
extern LQ_HOST_API const char* const LQ_PIN;        // pin number (pad name)
extern LQ_HOST_API const char* const LQ_PINTYPE;    // pin type; "PWR" marks a power pin
extern LQ_HOST_API const char* const LQ_REFDES;     // reference designator of a component
extern LQ_HOST_API const char* const LQ_LABEL;      // pin label (pin name)
extern LQ_HOST_API const char* const LQ_GATESWAP;   // gate-swap setting of a component
