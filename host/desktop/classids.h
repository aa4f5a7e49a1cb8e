// The class identifiers of the two variants, as the panel defines them.
#ifndef KWENO_HOST_DESKTOP_CLASSIDS_H
#define KWENO_HOST_DESKTOP_CLASSIDS_H

#include <windows.h>

extern const CLSID dayClassId;
extern const CLSID nightClassId;

#endif // KWENO_HOST_DESKTOP_CLASSIDS_H
