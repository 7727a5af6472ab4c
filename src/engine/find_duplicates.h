#pragma once

#include "core/candidates.h"

#include <cstddef>
#include <string_view>

namespace twinsift {

struct WindowModel;
class UserInterface;
class WorkerPool;

// The byte-by-byte (exact or, with chkFuzzy, tolerant) and CRC32 engines:
// cuts the size-sorted `model.Candidates` into runs of equal size and appends
// every file that has a duplicate in its run to `model.DuplicateGroups`,
// group by group, each group with the next alternating shade; counts the
// duplicates in DuplicateCount and DuplicateBytes and lowers FilesFound for a
// path met twice. Reading runs on `pool` while this thread yields to the
// window and shows progress; returns when done or when
// SearchCancelled is set. Afterwards Candidates holds only the files that
// shared their size with another, and the entries appended name their
// records there. Unexpected failures reach `ui` as an error report labelled
// "Find Duplicates".
void FindDuplicates(WindowModel& model, UserInterface& ui, WorkerPool& pool);

// Appends the candidate record at `record` to DuplicateGroups with the
// current GroupShade. A file that starts a group flips GroupShade first.
void appendGroupMember(WindowModel& model, std::size_t record, bool startsGroup);

// Shows how far an engine got through `total` candidates: "12.5% (1/8)" in
// the caption while the window is minimised, otherwise `activity` + "(1/8)
// 12.5%" in panel 1. False when that was shown already.
bool showProgress(WindowModel& model, std::string_view activity, std::size_t processed,
                  std::size_t total);

} // namespace twinsift
