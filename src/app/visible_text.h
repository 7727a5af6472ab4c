#pragma once

#include <QString>

namespace twinsift {

// A file name may hold any byte but '/': a newline or a tab would cut the
// text or run two names together, and other control characters draw as
// nothing. Each gets its picture from the control-pictures block instead;
// the name itself stays as it is everywhere but on screen.
QString withVisibleControls(QString text);

} // namespace twinsift
