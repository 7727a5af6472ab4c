#include "support/notice_recorder.h"

namespace twinsift::test {
namespace {

std::string rangeText(RowRange rows) {
    return std::to_string(rows.first) + "-" + std::to_string(rows.last);
}

} // namespace

NoticeRecorder::NoticeRecorder(WindowModel& model) : m_model(model) {
    m_model.listener = this;
}

NoticeRecorder::~NoticeRecorder() {
    m_model.listener = nullptr;
}

void NoticeRecorder::statusChanged() {
    if (onStatus)
        onStatus();
}

void NoticeRecorder::rowsChanged(RowRange rows) {
    rowNotices.push_back("changed " + rangeText(rows));
}

void NoticeRecorder::rowsInserted(RowRange rows) {
    rowNotices.push_back("inserted " + rangeText(rows));
}

void NoticeRecorder::rowsRemoved(const std::vector<RowRange>& removed) {
    std::string text = "removed";
    for (RowRange rows : removed)
        text += " " + rangeText(rows);
    rowNotices.push_back(text);
}

void NoticeRecorder::rowsReordered(const std::vector<std::size_t>& formerRow) {
    rowNotices.push_back("reordered " + std::to_string(formerRow.size()));
}

void NoticeRecorder::listReplaced() {
    rowNotices.push_back("replaced");
}

} // namespace twinsift::test
