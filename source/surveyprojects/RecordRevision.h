#pragma once

#include <QtGlobal>

// Names one state of a photo or video record's content. A record takes a new number when it
// is made and whenever its content changes, all from one counter shared by every record, so
// equal numbers mean equal content: across copies of a record, and across records that reuse
// the address of a deleted one. The project file writer keeps encoded records by it.
namespace RecordRevision {

// Thread-safe: records are made on the GUI thread and on the project worker thread.
quint64 next();

} // namespace RecordRevision
