#pragma once

#include "gallery/CAbstractGalleryModelDataProvider.h"

#include "CRemoteFileInfo.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>

class IRemoteGallerySections;

// The camera's files in one section per creation day, newest day first, a day's files by name.
// The model identifier is the section index. A removal keeps every section (an emptied day
// stays as an empty section) and the numbering of the others, so the gallery models of the
// sections and a selection made through them stay valid until the next setFiles.
// GUI thread only.
class CRemoteGalleryModelDataProvider : public CAbstractGalleryModelDataProvider
{
public:
    CRemoteGalleryModelDataProvider();
    ~CRemoteGalleryModelDataProvider() override;

    int rowCount(int modelId) const override;
    QUrl fileUrl(int modelId, int row) const override;
    QString fileName(int modelId, int row) const override;
    int fileType(int modelId, int row) const override;
    int fileState(int modelId, int row) const override;

    // Not owned; reset around every setFiles. Null detaches it.
    void setSectionModel(IRemoteGallerySections* model);

    void setFiles(const QVector<Ulx::Multimedia::CRemoteFileInfo>& files, const QVector<int>& states);
    // Applied only when the length matches the files; emits nothing.
    void setFileStates(const QVector<int>& states);

    QVector<Ulx::Multimedia::CRemoteFileInfo> files() const { return m_files; }
    QVector<int> fileStates() const { return m_fileStates; }
    QStringList removedFileUrls() const { return m_removedFileUrls; }
    QVector<int> rowInSection() const { return m_rowInSection; }
    QVector<int> sectionOfFile() const { return m_sectionOfFile; }
    QDateTime fileCreationTime(int fileIndex) const;

    int sectionCount() const { return m_sections.size(); }
    QString sectionTitle(int section) const;
    QVector<int> sectionFileIndices(int section) const;

    // The files ticked in any section; empty without a section model.
    QVector<Ulx::Multimedia::CRemoteFileInfo> selectedFiles() const;
    QStringList selectedFileUrls() const;

    void removeFileByUrl(const QString& url);
    void removeFileAt(int fileIndex);

private:
    void clearSections();
    void buildSections();
    void updateFileMapping();
    int fileIndexAt(int section, int row) const;

    QVector<int> m_rowInSection;
    QVector<int> m_sectionOfFile;
    QVector<QString> m_sectionTitles;
    QVector<QVector<int>> m_sections;
    QVector<Ulx::Multimedia::CRemoteFileInfo> m_files;
    QVector<int> m_fileStates;
    QStringList m_removedFileUrls;
    IRemoteGallerySections* m_sectionModel = nullptr;
};
