#include "surveyprojects/CProjectXmlCache.h"

#include <utility>

void CProjectXmlCache::beginWrite()
{
    m_previousDocument = std::exchange(m_document, QByteArray());
    m_found.swap(m_kept);
    m_kept.clear();
    m_kept.reserve(m_found.size() + 16);
    m_newestFound = std::exchange(m_newestKept, 0);
    m_next = 0;
    m_positions.clear();
    m_positionsBuilt = false;
}

bool CProjectXmlCache::find(quint64 revision, int* offset, int* length)
{
    // Revisions only grow: one newer than every element found was made or changed since.
    if (revision > m_newestFound)
        return false;
    if (m_next < m_found.size() && m_found[m_next].revision == revision)
        return foundAt(m_next, offset, length);
    // The record before this one was removed or changed.
    if (m_next + 1 < m_found.size() && m_found[m_next + 1].revision == revision)
        return foundAt(m_next + 1, offset, length);
    if (!m_positionsBuilt) {
        m_positions.reserve(static_cast<int>(m_found.size()));
        for (size_t i = 0; i < m_found.size(); ++i)
            m_positions.insert(m_found[i].revision, i);
        m_positionsBuilt = true;
    }
    const auto it = m_positions.constFind(revision);
    return it != m_positions.constEnd() && foundAt(it.value(), offset, length);
}

bool CProjectXmlCache::foundAt(size_t index, int* offset, int* length)
{
    m_next = index + 1;
    *offset = m_found[index].offset;
    *length = m_found[index].length;
    return true;
}

void CProjectXmlCache::keep(quint64 revision, int offset, int length)
{
    m_kept.push_back({revision, offset, length});
    if (revision > m_newestKept)
        m_newestKept = revision;
}

void CProjectXmlCache::endWrite(const QByteArray& document)
{
    m_document = document;
    m_previousDocument.clear();
}
