#pragma once

#include <QDialog>
#include <random>

class QLabel;

namespace twinsift {

class SettingsStore;

// "Tip of the day": a random tip, "&Next Tip" for another, and whether tips
// are shown at start-up.
class frmTip : public QDialog {
    Q_OBJECT
public:
    explicit frmTip(SettingsStore& settings, QWidget* parent = nullptr);

private:
    void showRandomTip();

    QLabel* m_lblTipText;
    std::mt19937 m_random;
};

// Shown on Windows NT 6 systems only, until dismissed for good.
class VistaWarning : public QDialog {
    Q_OBJECT
public:
    explicit VistaWarning(SettingsStore& settings, QWidget* parent = nullptr);
};

} // namespace twinsift
