// The registry settings the panel reads: the system's keyboard repeat timing (readRepeatSettings,
// which the keyboard window calls, is declared with it in input.h) and its default input panel.
// The panel never writes the registry.
#ifndef KWENO_SETTINGS_H
#define KWENO_SETTINGS_H

// On the first Select of a load: whether the system names this panel as its default input method,
// in which case the panel starts docked but not shown.
void applyFirstSelectRule();

#endif // KWENO_SETTINGS_H
