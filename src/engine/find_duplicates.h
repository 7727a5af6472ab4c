#pragma once

#include "core/candidates.h"

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
// shared their size with another. Unexpected failures reach `ui` as an error
// report labelled "Find Duplicates".
void FindDuplicates(WindowModel& model, UserInterface& ui, WorkerPool& pool);

// Appends `file` to DuplicateGroups in the result layout: Item size text,
// Item1 name, Item2 folder, Item3 version text, Item4 the current GroupShade,
// Item5 last-write time text. A file that starts a group flips GroupShade
// first.
void appendGroupMember(WindowModel& model, const CandidateStore& store, const FileRecord& file,
                       bool startsGroup);

} // namespace twinsift
