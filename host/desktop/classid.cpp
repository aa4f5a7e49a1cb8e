// The class identifier of one variant, from the panel's own definition of it: built once for the
// day variant and once, with KWENO_NIGHT, for the night variant.
#include "server/variant.h"

#include "classids.h"

#if defined(KWENO_NIGHT)
extern const CLSID nightClassId = KWENO_CLSID_INIT;
#else
extern const CLSID dayClassId = KWENO_CLSID_INIT;
#endif
