#pragma once

#include "core/window_model.h"

#include <functional>
#include <string>
#include <vector>

namespace twinsift::test {

// Listens to a window model for as long as it lives, and keeps each row
// notice as a short text ("changed 3-3", "inserted 0-9", "removed 1-2 5-5",
// "reordered 4", "replaced"); at each status notice runs `onStatus`.
class NoticeRecorder : public ModelListener {
public:
    explicit NoticeRecorder(WindowModel& model);
    ~NoticeRecorder() override;
    NoticeRecorder(const NoticeRecorder&) = delete;
    NoticeRecorder& operator=(const NoticeRecorder&) = delete;

    std::vector<std::string> rowNotices;
    std::function<void()> onStatus;

    void statusChanged() override;
    void rowsChanged(RowRange rows) override;
    void rowsInserted(RowRange rows) override;
    void rowsRemoved(const std::vector<RowRange>& removed) override;
    void rowsReordered(const std::vector<std::size_t>& formerRow) override;
    void listReplaced() override;

private:
    WindowModel& m_model;
};

} // namespace twinsift::test
