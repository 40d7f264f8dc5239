#pragma once

#include <QSet>
#include <QString>

// Media files the operator chose to overwrite are replaced, never removed first: the new copy
// is written beside the old one and renamed over it once complete, so a transfer that fails,
// is refused or never reaches a file leaves its old copy in place. Safe to call from any thread.

// Whether target can be replaced by a rename: it is not a folder, and its folder takes new
// names. A missing target counts as replaceable when its folder does.
bool canReplaceFile(const QString& target);

// Gives newCopy the name target in one step (FileReplacement::replaceFileWith, with a log line
// when it fails): until it returns, target holds its old content, and a link standing at target
// is replaced, never followed. False (newCopy left as it was, target untouched) when the rename
// fails.
bool replaceFileWith(const QString& newCopy, const QString& target);

// A free hidden name beside target, not a media name, under which a new copy can be written
// before it replaces target. Names in taken count as used: several copies bound for one target
// within one transfer each get their own.
QString replacementPathFor(const QString& target, const QSet<QString>& taken = QSet<QString>());

// Whether name is one of those hidden names, of a media file name the download could write; a
// user's own hidden file is not.
bool isReplacementName(const QString& name);

// Removes the hidden copies a transfer left in folder when it ended before renaming them (a
// crash, a power cut): those names, and the new copies on their way to any name
// (FileReplacement::sweepStrayCopies). The old copies they were meant to replace are still in
// place, and the leftovers would only take room and count in the project's size. Only while no
// camera download writes into folder: its complete copies wait under those names for their
// rename. Returns how many were removed.
int removeLeftoverReplacements(const QString& folder);
