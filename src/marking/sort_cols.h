#pragma once

namespace twinsift {

struct WindowModel;
class UserInterface;

// What a SortCols caller asks for: a header click toggles the direction of
// the current sort, a marking command wants ascending order.
enum class SortRequest { Toggle, Ascending };

// Sorts the result list by the column at 1-based `column` through its key
// column, sets the header indicators (the clicked header only), and
// refreshes the group shading when the list holds groups. A hidden key
// column (7 to 9) is hidden again and the sort is left as it was. Failures
// go to the error report as "Sorting Column : " + column.
void SortCols(WindowModel& model, UserInterface& ui, int column, SortRequest request);

} // namespace twinsift
