#pragma once

#include "scan/scan_path.h"

#include <QToolButton>

namespace twinsift {

// The warning sign in the status bar after a scan that left something out:
// hidden while nothing was skipped; its tooltip counts the skipped items and
// a click opens the list of them with their reasons ("SkippedFrm", not
// modal). Paths are shown as plain text, whatever they hold.
class SkippedSign : public QToolButton {
    Q_OBJECT
public:
    // `skipped` is the window model's list, which outlives the sign.
    explicit SkippedSign(const SkipList& skipped, QWidget* parent = nullptr);

    // Shows the list's current count.
    void render();

private:
    void showList();

    const SkipList& m_skipped;
};

} // namespace twinsift
