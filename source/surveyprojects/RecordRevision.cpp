#include "surveyprojects/RecordRevision.h"

#include <atomic>

namespace RecordRevision {

quint64 next()
{
    static std::atomic<quint64> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace RecordRevision
