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
// out of sight, every other column visible and at least as wide as the
// window lets a column be made.
bool usable(const QHeaderView& columns, int minimumWidth) {
    if (columns.count() != kResultColumnCount)
        return false;
    for (int column = 0; column < kResultColumnCount; ++column) {
        const bool sortKey =
            column == ColSortSize || column == ColSortDate || column == ColSortGrpno;
        if (columns.isSectionHidden(column) != sortKey ||
            (!sortKey && columns.sectionSize(column) < minimumWidth) ||
            columns.sectionResizeMode(column) != QHeaderView::Interactive)
            return false;
    }
    return true;
}

} // namespace

void restoreWindowLayout(const SettingsStore& settings, QHeaderView& columns, QSplitter& split) {
    const QByteArray built = columns.saveState();
    const int minimumWidth = columns.minimumSectionSize();
    const bool clickable = columns.sectionsClickable();
    const bool movable = columns.sectionsMovable();
    const bool stretchLast = columns.stretchLastSection();
    const QByteArray stored = storedState(settings, kColumnsKey);
    if (!stored.isEmpty() && (!columns.restoreState(stored) || !usable(columns, minimumWidth)))
        columns.restoreState(built);
    // The state carries how the header behaves as well as its columns: only
    // the columns are the user's, a damaged state could freeze the rest.
    columns.setMinimumSectionSize(minimumWidth);
    columns.setSectionsClickable(clickable);
    columns.setSectionsMovable(movable);
    columns.setStretchLastSection(stretchLast);

    // The state also holds the split's direction: a damaged one could turn it.
    const QByteArray builtSplit = split.saveState();
    const Qt::Orientation orientation = split.orientation();
    const bool collapsible = split.childrenCollapsible();
    const int handleWidth = split.handleWidth();
    const QByteArray storedSplit = storedState(settings, kSplitKey);
    if (!storedSplit.isEmpty() &&
        (!split.restoreState(storedSplit) || split.orientation() != orientation ||
         split.childrenCollapsible() != collapsible))
        split.restoreState(builtSplit);
    // A handle without width could no longer be dragged.
    split.setHandleWidth(handleWidth);
}

void saveWindowLayout(SettingsStore& settings, const QHeaderView& columns, const QSplitter& split) {
    storeState(settings, kColumnsKey, columns.saveState());
    storeState(settings, kSplitKey, split.saveState());
}

} // namespace twinsift
