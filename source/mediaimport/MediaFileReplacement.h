#pragma once

#include <QString>

// Media files the operator chose to overwrite are replaced, never removed first: the new copy
// is written beside the old one and renamed over it once complete, so a transfer that fails,
// is refused or never reaches a file leaves its old copy in place. Safe to call from any thread.

// Whether target can be replaced by a rename: it is not a folder, and its folder takes new
// names. A missing target counts as replaceable when its folder does.
bool canReplaceFile(const QString& target);

// Removes the hidden new copies a transfer left in folder when it ended before renaming them
// (a crash, a power cut; FileReplacement::sweepStrayCopies): the old copies they were meant to
// replace are still in place, and the leftovers would only take room and count in the
// project's size. Returns how many were removed.
int removeLeftoverReplacements(const QString& folder);
