#pragma once

#include "core/window_model.h"

namespace twinsift {

class SettingsStore;
class UserInterface;

// Selects an engine option and what depends on it: fuzzy logic only for byte-by-byte,
// "Mark All" only for zero-size files, the duplicate marking commands for the others.
void selectEngine(WindowModel& model, Engine engine);

// Empties the search paths and results and puts the switches and status bar
// back to their first state. Stores, counters and the default file are kept.
void newSession(WindowModel& model);

// Tells the user that there is no result to work on, for the commands that
// need one; true when the list is empty.
bool refuseEmptyList(const WindowModel& model, UserInterface& ui);

// Toolbar button 11 / "Show Picture Viewer".
void togglePictureViewer(WindowModel& model, SettingsStore& settings);
// Asks before files are deleted for good rather than moved to the Trash;
// true for Yes. No is the default button.
bool confirmPermanentDeletion(UserInterface& ui);
// Toolbar button 12 / "Move to Trash": leaving the Trash asks first.
void toggleRecycleBin(WindowModel& model, SettingsStore& settings, UserInterface& ui);

// The Cancel command: asks "Are you sure to cancel searching?"; on Yes stops
// the scan.
void CancelScan(WindowModel& model, UserInterface& ui);

// Stops a running scan without asking: the walk ends within 10 entries and
// no further search path is walked, since the scan looks at SearchCancelled
// at every yield. Safe to call from inside any yield.
void stopScan(WindowModel& model);

// Puts the window into the scanning state (every command but Cancel
// disabled, panels 2 to 4 hidden) or back into the idle state.
void SetScanning(WindowModel& model, bool running);
void EnableMenus(WindowModel& model, bool enabled);

// Timer1's tick: the elapsed time of the running scan into panel 5.
void showElapsedTime(WindowModel& model);

// The switches' click handlers. The fuzzy note is wanted when "Use Fuzzy
// Logic" has just been checked by the user; unchecking "Protect System
// Folders" by the user asks first, and Yes checks it again. Programmatic
// changes (tag other than "Direct") stay silent.
bool fuzzyNoteWanted(const WindowModel& model);
void protectionUnchecked(WindowModel& model, UserInterface& ui);

} // namespace twinsift
