#pragma once

namespace twinsift {

struct WindowModel;
class UserInterface;

// The same-name search over `model.Candidates` (sorted name first): every run
// of two or more files whose names are equal once trimmed of blanks and
// compared without regard to letter case becomes one group of
// `model.DuplicateGroups`, in candidate order, with the next shade; every
// member but the first counts in DuplicateCount and DuplicateBytes. A path
// listed twice in a row is kept once and FilesFound drops by one. Afterwards
// the store holds the files that were listed, plus whatever a cancel left
// unvisited; the entries name their records there. No file is read. Progress goes to status panel 1
// (or the caption while minimised); an unexpected failure reaches `ui` through
// the error report.
void FindSameNames(WindowModel& model, UserInterface& ui);

} // namespace twinsift
