#include "surveyprojects/CProjectXmlCache.h"

#include <utility>

void CProjectXmlCache::beginWrite()
{
    m_found = std::move(m_kept);
    m_kept.clear();
    m_kept.reserve(m_found.size() + 16);
    m_newestFound = m_newestKept;
    m_newestKept = 0;
    m_next = 0;
    m_positions.clear();
    m_positionsBuilt = false;
}

const QByteArray* CProjectXmlCache::find(quint64 revision)
{
    // Revisions only grow: one newer than every element found was made or changed since.
    if (revision > m_newestFound)
        return nullptr;
    if (m_next < m_found.size() && m_found[m_next].revision == revision)
        return foundAt(m_next);
    // The record before this one was removed or changed.
    if (m_next + 1 < m_found.size() && m_found[m_next + 1].revision == revision)
        return foundAt(m_next + 1);
    if (!m_positionsBuilt) {
        m_positions.reserve(static_cast<int>(m_found.size()));
        for (size_t i = 0; i < m_found.size(); ++i)
            m_positions.insert(m_found[i].revision, i);
        m_positionsBuilt = true;
    }
    const auto it = m_positions.constFind(revision);
    return it == m_positions.constEnd() ? nullptr : foundAt(it.value());
}

const QByteArray* CProjectXmlCache::foundAt(size_t index)
{
    m_next = index + 1;
    return &m_found[index].element;
}

void CProjectXmlCache::keep(quint64 revision, const QByteArray& element)
{
    m_kept.push_back({revision, element});
    if (revision > m_newestKept)
        m_newestKept = revision;
}
