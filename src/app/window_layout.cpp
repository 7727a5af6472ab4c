#include "app/window_layout.h"

#include "core/window_model.h"
#include "platform/settings_store.h"

#include <QHeaderView>
#include <QSplitter>

namespace twinsift {
namespace {

constexpr const char* kSection = "Layout";
constexpr const char* kColumnsKey = "ResultColumns";
constexpr const char* kSplitKey = "Splitter";

QByteArray storedState(const SettingsStore& settings, const char* key) {
    return QByteArray::fromBase64(
        QByteArray::fromStdString(settings.getSetting(kSection, key, "")));
}

void storeState(SettingsStore& settings, const char* key, const QByteArray& state) {
    settings.saveSetting(kSection, key, state.toBase64().toStdString());
}

// What a restored header must still be: every column there, the sort keys
// out of sight, every other column visible and wide enough to be found again.
bool usable(const QHeaderView& columns) {
    if (columns.count() != kResultColumnCount || !columns.stretchLastSection())
        return false;
    for (int column = 0; column < kResultColumnCount; ++column) {
        const bool sortKey =
            column == ColSortSize || column == ColSortDate || column == ColSortGrpno;
        if (columns.isSectionHidden(column) != sortKey ||
            (!sortKey && columns.sectionSize(column) < columns.minimumSectionSize()) ||
            columns.sectionResizeMode(column) != QHeaderView::Interactive)
            return false;
    }
    return true;
}

} // namespace

void restoreWindowLayout(const SettingsStore& settings, QHeaderView& columns, QSplitter& split) {
    const QByteArray built = columns.saveState();
    const QByteArray stored = storedState(settings, kColumnsKey);
    if (!stored.isEmpty() && (!columns.restoreState(stored) || !usable(columns)))
        columns.restoreState(built);
    // The state also holds the split's direction: a damaged one could turn it.
    const QByteArray builtSplit = split.saveState();
    const Qt::Orientation orientation = split.orientation();
    const bool collapsible = split.childrenCollapsible();
    const QByteArray storedSplit = storedState(settings, kSplitKey);
    if (!storedSplit.isEmpty() &&
        (!split.restoreState(storedSplit) || split.orientation() != orientation ||
         split.childrenCollapsible() != collapsible))
        split.restoreState(builtSplit);
}

void saveWindowLayout(SettingsStore& settings, const QHeaderView& columns, const QSplitter& split) {
    storeState(settings, kColumnsKey, columns.saveState());
    storeState(settings, kSplitKey, split.saveState());
}

} // namespace twinsift
