// The key table for tests that drive the panel from outside the process: every key's screen point,
// and its popup's cells where the panel opens the popup on the simulated handheld.
#ifndef KWENO_SIM_KEYTABLE_H
#define KWENO_SIM_KEYTABLE_H

#include <ostream>
#include <string>
#include <vector>

#include "device.h"

// A fresh handheld, turned to landscape if asked, after taps at the route's screen points.
bool startAt(Device &device, const DeviceOptions &options, bool landscape, const std::vector<POINT> &route,
             std::string *error);

// As JSON: {"portrait": {"lower": {"a": {"at": [x, y], "popup": [left, top, right, bottom],
// "cells": {"á": [x, y], ...}}, ...}, ...}, "landscape": {...}}, for every face the mode keys reach.
bool writeKeyTable(const DeviceOptions &options, std::ostream &out, std::string *error);

#endif // KWENO_SIM_KEYTABLE_H
