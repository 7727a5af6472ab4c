#pragma once

#include <QDialog>

namespace twinsift {

// The warning before comparing a very large collection: OK goes on, Cancel
// (or closing the window) stops the search.
class frmTooManyFiles : public QDialog {
    Q_OBJECT
public:
    explicit frmTooManyFiles(long files, QWidget* parent = nullptr);
};

// The note shown when the user turns fuzzy matching on.
class FuzzyFrm : public QDialog {
    Q_OBJECT
public:
    explicit FuzzyFrm(QWidget* parent = nullptr);
};

} // namespace twinsift
