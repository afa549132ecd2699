#include "sonix/st50220.h"

SIM_EXPORT int St50220_Open() { return sim::VendorCamera::Find("sonix", 0).has_value() ? 1 : 0; }
