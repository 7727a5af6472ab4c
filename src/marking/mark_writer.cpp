#include "marking/mark_writer.h"

namespace twinsift {

void MarkWriter::set(std::size_t row, bool marked) {
    if (m_model.rows[row].marked() == marked)
        return;
    if (m_open && m_marked == marked && row == m_run.last + 1) {
        m_run.last = row;
        return;
    }
    flush();
    m_run = {row, row};
    m_marked = marked;
    m_open = true;
}

void MarkWriter::flush() {
    if (m_open)
        markRows(m_model, m_run, m_marked);
    m_open = false;
}

} // namespace twinsift
