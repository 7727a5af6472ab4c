#pragma once

namespace twinsift {

struct WindowModel;
class UserInterface;

enum class OriginalsCheck { GoOn, Abandoned };

// Before a Delete or Move: for every group whose rows are all marked, asks
// the user through UserInterface::originalsWarning which copies to keep.
// Abandoned when the user closed the warning: the command must not act
// (marks changed in the warning stay changed). Skipped for the zero-size
// listing.
OriginalsCheck checkOriginals(WindowModel& model, UserInterface& ui);

} // namespace twinsift
