// The registry settings the panel reads: the system's keyboard repeat timing and its default input
// panel. The panel never writes the registry.
#ifndef KWENO_SETTINGS_H
#define KWENO_SETTINGS_H

// Fills repeatSettings from the system's keyboard settings, defaults where a value is missing;
// the rate is never 0 afterwards.
void readRepeatSettings();

// On the first Select of a load: whether the system names this panel as its default input method,
// in which case the panel starts docked but not shown.
void applyFirstSelectRule();

#endif // KWENO_SETTINGS_H
