#pragma once

#include "core/window_model.h"

#include <cstddef>

namespace twinsift {

// Sets row marks for a command that visits the rows in list order, each at
// most once. Only rows whose mark really changes are touched, and each run
// of neighbouring changes reaches the listener as one notice, so the list
// repaints what changed and nothing else.
class MarkWriter {
public:
    explicit MarkWriter(WindowModel& model) : m_model(model) {}
    MarkWriter(const MarkWriter&) = delete;
    MarkWriter& operator=(const MarkWriter&) = delete;

    void set(std::size_t row, bool marked);
    // Applies the run still held back; call it before anything reads the marks.
    void flush();

private:
    WindowModel& m_model;
    RowRange m_run;
    bool m_marked = false;
    bool m_open = false;
};

} // namespace twinsift
