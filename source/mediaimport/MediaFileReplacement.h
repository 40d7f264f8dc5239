#pragma once

#include <QString>

// Media files the operator chose to overwrite are replaced, never removed first: the new copy
// is written beside the old one and renamed over it once complete, so a transfer that fails,
// is refused or never reaches a file leaves its old copy in place. Safe to call from any thread.

// Whether target can be replaced by a rename: it is not a folder, and its folder takes new
// names. A missing target counts as replaceable when its folder does.
bool canReplaceFile(const QString& target);

// Gives newCopy the name target in one step: until it returns, target holds its old content.
// False (newCopy left as it was, target untouched) when the rename fails.
bool replaceFileWith(const QString& newCopy, const QString& target);

// A free hidden name beside target, not a media name, under which a new copy can be written
// before it replaces target.
QString replacementPathFor(const QString& target);
