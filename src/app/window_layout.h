#pragma once

class QHeaderView;
class QSplitter;

namespace twinsift {

class SettingsStore;

// The result columns' widths and order and the split between the search
// area and the results, as the user left them, in the settings section
// "Layout". A stored value that does not fit the window as built is passed
// over: the window keeps the layout it was built with.
void restoreWindowLayout(const SettingsStore& settings, QHeaderView& columns, QSplitter& split);
void saveWindowLayout(SettingsStore& settings, const QHeaderView& columns, const QSplitter& split);

} // namespace twinsift
