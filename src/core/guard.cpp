#include "core/guard.h"

#include <new>
#include <utility>

namespace twinsift {

Guard::Guard(UserInterface& ui, std::string procedure)
    : m_ui(ui), m_procedure(std::move(procedure)) {}

bool Guard::run(std::initializer_list<std::function<void()>> steps) {
    int line = 0;
    for (const auto& body : steps) {
        if (!step(++line, body))
            return false;
    }
    return true;
}

void Guard::reportFailure(const std::exception_ptr& failure, int line) {
    if (m_ui.errorReport(errorRecordFor(failure, m_procedure, line)) != ErrorReportAnswer::Retry)
        m_abandoned = true;
}

ErrorRecord errorRecordFor(const std::exception_ptr& failure, const std::string& procedure,
                           int line) {
    long number = err::InvalidProcedureCall;
    std::string description;
    try {
        std::rethrow_exception(failure);
    } catch (const RuntimeError& error) {
        number = error.number();
        description = error.description();
    } catch (const std::bad_alloc&) {
        number = err::OutOfMemory;
    } catch (...) {
        // Whatever else escaped is a fault in the program; the user still gets
        // the report and the choice, never a crash.
    }
    if (description.empty())
        description = runtimeErrorText(number);
    return ErrorRecord{number, std::move(description), procedure, line};
}

} // namespace twinsift
