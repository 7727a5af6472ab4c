#pragma once

#include "core/runtime_error.h"
#include "platform/user_interface.h"

#include <exception>
#include <functional>
#include <initializer_list>
#include <string>

namespace twinsift {

// Runs the steps of one command so that an unexpected failure reaches the user
// through the error report instead of ending the program. Retry re-runs the
// failing step (and asks again if it fails again); any other answer abandons
// the command: that step and every later one report false and do not run, so
// the command can leave through its own exit.
//
//     Guard guard(ui, "Scanning");
//     if (!guard.step(1, [&] { prepare(); }) || !guard.step(2, [&] { walk(); }))
//         return finishTerminated();
class Guard {
public:
    Guard(UserInterface& ui, std::string procedure);

    // Runs `body` as the step numbered `line`; false when the user abandoned
    // the command, now or at an earlier step.
    template <class Body> bool step(int line, Body&& body) {
        while (!m_abandoned) {
            std::exception_ptr failure;
            try {
                body();
                return true;
            } catch (...) {
                failure = std::current_exception();
            }
            reportFailure(failure, line);
        }
        return false;
    }

    // The steps in order, numbered from 1; false when the command was abandoned.
    bool run(std::initializer_list<std::function<void()>> steps);

    bool abandoned() const { return m_abandoned; }

private:
    void reportFailure(const std::exception_ptr& failure, int line);

    UserInterface& m_ui;
    std::string m_procedure;
    bool m_abandoned = false;
};

// What the error report shows for an escaped exception: a RuntimeError's own
// number and description, 7 for an exhausted memory, 5 for anything else.
ErrorRecord errorRecordFor(const std::exception_ptr& failure, const std::string& procedure,
                           int line);

} // namespace twinsift
