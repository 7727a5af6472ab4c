#pragma once

#include "platform/user_interface.h"

#include <QDialog>
#include <cstddef>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace twinsift {

struct WindowModel;

// "Warning!": the files of one group that are all marked. Unticking a file
// unmarks its row of the result list at once (ticking marks it again); the
// buttons answer Keep all original files, Ignore warnings or Continue, and
// the close box answers Closed.
class WarningFrm : public QDialog {
    Q_OBJECT
public:
    // `rows` are the group's rows of `model`, in list order; `ui` asks the
    // confirmation of a Continue that kept nothing.
    WarningFrm(WindowModel& model, std::vector<std::size_t> rows, UserInterface& ui,
               QWidget* parent = nullptr);

    OriginalsAnswer answer() const { return m_answer; }

private:
    void fillList();
    void tickChanged(QTreeWidgetItem* item);
    void answerWith(OriginalsAnswer answer);
    void cmdContinue_Click();

    WindowModel& m_model;
    // The result-list row of each line of WList.
    std::vector<std::size_t> m_rows;
    UserInterface& m_ui;
    QTreeWidget* m_wList;
    OriginalsAnswer m_answer = OriginalsAnswer::Closed;
};

} // namespace twinsift
