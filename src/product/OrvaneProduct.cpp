#include "product/OrvaneProduct.h"

#if !defined(ORVANE_VERSION) || !defined(ORVANE_WEB_HOST)
#error ORVANE_VERSION and ORVANE_WEB_HOST come from the build (CMake cache variables of those names)
#endif

const char ProgramVersion[] = ORVANE_VERSION;
const char WebHost[] = ORVANE_WEB_HOST;
