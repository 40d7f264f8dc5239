#include "gallery/CRemoteGalleryModelDataProvider.h"

#include "gallery/GalleryTypes.h"
#include "gallery/IRemoteGallerySections.h"

#include <QLocale>
#include <QMap>

#include <algorithm>

using Ulx::Multimedia::CRemoteFileInfo;

CRemoteGalleryModelDataProvider::CRemoteGalleryModelDataProvider() = default;

CRemoteGalleryModelDataProvider::~CRemoteGalleryModelDataProvider() = default;

int CRemoteGalleryModelDataProvider::fileIndexAt(int section, int row) const
{
    if (section < 0 || section >= m_sections.size())
        return -1;
    const QVector<int>& indices = m_sections.at(section);
    if (row < 0 || row >= indices.size())
        return -1;
    return indices.at(row);
}

int CRemoteGalleryModelDataProvider::rowCount(int modelId) const
{
    if (modelId < 0 || modelId >= m_sections.size())
        return 0;
    return m_sections.at(modelId).size();
}

QUrl CRemoteGalleryModelDataProvider::fileUrl(int modelId, int row) const
{
    const int index = fileIndexAt(modelId, row);
    if (index < 0)
        return QUrl();
    return QUrl(m_files.at(index).fileUrl(), QUrl::TolerantMode);
}

QString CRemoteGalleryModelDataProvider::fileName(int modelId, int row) const
{
    const int index = fileIndexAt(modelId, row);
    return index < 0 ? QString() : m_files.at(index).fileName();
}

int CRemoteGalleryModelDataProvider::fileType(int modelId, int row) const
{
    const int index = fileIndexAt(modelId, row);
    if (index < 0)
        return GalleryTypes::FileTypeInvalid;
    switch (m_files.at(index).fileType()) {
    case Ulx::RemoteMediaTypes::FileTypePhoto:
        return GalleryTypes::FileTypePhoto;
    case Ulx::RemoteMediaTypes::FileTypeVideo:
        return GalleryTypes::FileTypeVideo;
    default:
        return GalleryTypes::FileTypeInvalid;
    }
}

int CRemoteGalleryModelDataProvider::fileState(int modelId, int row) const
{
    const int index = fileIndexAt(modelId, row);
    if (index < 0)
        return GalleryTypes::FileStateNotAvailable;
    return m_fileStates.value(index, GalleryTypes::FileStateNotAvailable);
}

void CRemoteGalleryModelDataProvider::setSectionModel(IRemoteGallerySections* model)
{
    m_sectionModel = model;
}

void CRemoteGalleryModelDataProvider::setFiles(const QVector<CRemoteFileInfo>& files, const QVector<int>& states)
{
    if (m_sectionModel)
        m_sectionModel->sectionsAboutToBeRebuilt();
    clearSections();
    m_files = files;
    m_fileStates = states;
    m_removedFileUrls.clear();
    buildSections();
    if (m_sectionModel)
        m_sectionModel->sectionsRebuilt();
}

void CRemoteGalleryModelDataProvider::setFileStates(const QVector<int>& states)
{
    if (states.size() == m_files.size())
        m_fileStates = states;
}

QDateTime CRemoteGalleryModelDataProvider::fileCreationTime(int fileIndex) const
{
    if (fileIndex < 0 || fileIndex >= m_files.size())
        return QDateTime();
    return m_files.at(fileIndex).creationTime();
}

QString CRemoteGalleryModelDataProvider::sectionTitle(int section) const
{
    return m_sectionTitles.value(section);
}

QVector<int> CRemoteGalleryModelDataProvider::sectionFileIndices(int section) const
{
    return m_sections.value(section);
}

QVector<CRemoteFileInfo> CRemoteGalleryModelDataProvider::selectedFiles() const
{
    QVector<CRemoteFileInfo> result;
    if (!m_sectionModel)
        return result;
    // In the gallery's order: the operator follows the download through the list as shown.
    const QSet<int> selected = m_sectionModel->selectedFileIndices();
    QList<int> indices(selected.cbegin(), selected.cend());
    const auto shownAt = [this](int index) {
        return (index >= 0 && index < m_sectionOfFile.size())
                   ? std::make_pair(m_sectionOfFile.at(index), m_rowInSection.at(index))
                   : std::make_pair(index, 0);
    };
    std::sort(indices.begin(), indices.end(), [&shownAt](int a, int b) { return shownAt(a) < shownAt(b); });
    result.reserve(indices.size());
    for (int index : qAsConst(indices)) {
        if (index >= 0 && index < m_files.size())
            result.append(m_files.at(index));
    }
    return result;
}

QStringList CRemoteGalleryModelDataProvider::selectedFileUrls() const
{
    QStringList urls;
    for (const CRemoteFileInfo& file : selectedFiles())
        urls.append(file.fileUrl());
    return urls;
}

void CRemoteGalleryModelDataProvider::removeFileByUrl(const QString& url)
{
    for (int i = 0; i < m_files.size(); ++i) {
        if (m_files.at(i).fileUrl() == url) {
            removeFileAt(i);
            m_removedFileUrls.append(url);
            return;
        }
    }
}

void CRemoteGalleryModelDataProvider::removeFileAt(int fileIndex)
{
    if (fileIndex < 0 || fileIndex >= m_files.size())
        return;
    notifyBeginReset();
    m_files.remove(fileIndex);
    if (fileIndex < m_fileStates.size())
        m_fileStates.remove(fileIndex);
    // Take the file out of its section in place instead of rebuilding: every section stays
    // where it was, an emptied day included, and a second removal cannot drop it. The other
    // files keep their day and their order, so this is the rebuild with the sections kept.
    for (QVector<int>& section : m_sections) {
        section.removeOne(fileIndex);
        for (int& index : section) {
            if (index > fileIndex)
                --index;
        }
    }
    updateFileMapping();
    notifyEndReset();
    // The day headers show the file counts.
    if (m_sectionModel)
        m_sectionModel->refreshSections();
}

void CRemoteGalleryModelDataProvider::clearSections()
{
    m_sectionTitles.clear();
    m_sections.clear();
    m_rowInSection.clear();
    m_sectionOfFile.clear();
}

void CRemoteGalleryModelDataProvider::buildSections()
{
    QMultiMap<QDate, int> byDay;
    for (int i = 0; i < m_files.size(); ++i)
        byDay.insert(m_files.at(i).creationTime().date(), i);
    m_rowInSection.fill(0, m_files.size());
    m_sectionOfFile.fill(0, m_files.size());
    const QList<QDate> days = byDay.uniqueKeys();
    m_sections.reserve(days.size());
    m_sectionTitles.reserve(days.size());
    const QLocale locale;
    // An invalid date sorts first, so files without a time land in the last, untitled section.
    for (auto day = days.crbegin(); day != days.crend(); ++day) {
        QVector<int> indices = byDay.values(*day).toVector();
        std::sort(indices.begin(), indices.end(),
                  [this](int a, int b) { return m_files.at(a).fileName() < m_files.at(b).fileName(); });
        m_sectionTitles.append(day->isValid() ? locale.toString(*day, QLocale::LongFormat) : QString());
        m_sections.append(indices);
    }
    updateFileMapping();
}

void CRemoteGalleryModelDataProvider::updateFileMapping()
{
    m_rowInSection.fill(0, m_files.size());
    m_sectionOfFile.fill(0, m_files.size());
    for (int s = 0; s < m_sections.size(); ++s) {
        const QVector<int>& indices = m_sections.at(s);
        for (int row = 0; row < indices.size(); ++row) {
            m_sectionOfFile[indices.at(row)] = s;
            m_rowInSection[indices.at(row)] = row;
        }
    }
}
