#include "gallery/CRemoteGallerySectionModel.h"

#include "gallery/CGalleryModel.h"
#include "gallery/CRemoteGalleryModelDataProvider.h"

#include <QHash>
#include <QQmlEngine>

CRemoteGallerySectionModel::CRemoteGallerySectionModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

CRemoteGallerySectionModel::~CRemoteGallerySectionModel()
{
    qDeleteAll(m_galleryModels);
}

int CRemoteGallerySectionModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_provider)
        return 0;
    return m_provider->sectionCount();
}

QVariant CRemoteGallerySectionModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= rowCount())
        return QVariant();
    switch (role) {
    case GalleryModelRole:
        return QVariant::fromValue(static_cast<QAbstractListModel*>(m_galleryModels.value(row)));
    case SectionNameRole:
        return m_provider->sectionTitle(row);
    case SectionItemCountRole:
        return m_provider->sectionFileIndices(row).size();
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CRemoteGallerySectionModel::roleNames() const
{
    return {{GalleryModelRole, "modelData_GalleryModel"},
            {SectionNameRole, "modelData_SectionName"},
            {SectionItemCountRole, "modelData_SectionItemCount"}};
}

void CRemoteGallerySectionModel::setDataProvider(const std::shared_ptr<CRemoteGalleryModelDataProvider>& provider)
{
    beginResetModel();
    m_provider = provider;
    rebuildGalleryModels();
    endResetModel();
}

CGalleryModel* CRemoteGallerySectionModel::galleryModel(int section) const
{
    return m_galleryModels.value(section);
}

void CRemoteGallerySectionModel::deleteGalleryModels()
{
    // A view of a section may still hold its model until it has seen this model's reset: the
    // old models let go of the provider at once (their views go empty) and are deleted later.
    for (CGalleryModel* model : qAsConst(m_galleryModels)) {
        model->setDataProvider(nullptr);
        model->deleteLater();
    }
    m_galleryModels.clear();
}

void CRemoteGallerySectionModel::sectionsAboutToBeRebuilt()
{
    beginResetModel();
}

void CRemoteGallerySectionModel::sectionsRebuilt()
{
    rebuildGalleryModels();
    endResetModel();
}

void CRemoteGallerySectionModel::rebuildGalleryModels()
{
    deleteGalleryModels();
    const int count = m_provider ? m_provider->sectionCount() : 0;
    for (int i = 0; i < count; ++i) {
        auto* model = new CGalleryModel(m_provider, i);
        // Handed to QML through a role: QML must not take it over.
        QQmlEngine::setObjectOwnership(model, QQmlEngine::CppOwnership);
        connect(model, &CBaseSelectionModel::selectionCountChanged, this,
                &CRemoteGallerySectionModel::selectionCountChanged);
        m_galleryModels.append(model);
    }
    emit selectionCountChanged();
}

int CRemoteGallerySectionModel::selectionCount() const
{
    int count = 0;
    for (const CGalleryModel* model : m_galleryModels)
        count += model->selectionCount();
    return count;
}

QSet<int> CRemoteGallerySectionModel::selectedFileIndices() const
{
    QSet<int> indices;
    if (!m_provider)
        return indices;
    for (int section = 0; section < m_galleryModels.size(); ++section) {
        const QVector<int> files = m_provider->sectionFileIndices(section);
        for (int row : m_galleryModels.at(section)->selection()) {
            if (row >= 0 && row < files.size())
                indices.insert(files.at(row));
        }
    }
    return indices;
}

void CRemoteGallerySectionModel::setSelectedFileIndices(const QSet<int>& fileIndices)
{
    if (!m_provider)
        return;
    const QVector<int> sectionOfFile = m_provider->sectionOfFile();
    const QVector<int> rowInSection = m_provider->rowInSection();
    QHash<int, QSet<int>> rowsBySection;
    for (int index : fileIndices) {
        if (index >= 0 && index < sectionOfFile.size())
            rowsBySection[sectionOfFile.at(index)].insert(rowInSection.at(index));
    }
    for (int section = 0; section < m_galleryModels.size(); ++section)
        m_galleryModels.at(section)->setSelection(rowsBySection.value(section));
}

void CRemoteGallerySectionModel::selectAllFromDate(const QDate& date)
{
    QSet<int> indices;
    if (m_provider) {
        const int count = m_provider->files().size();
        for (int i = 0; i < count; ++i) {
            if (m_provider->fileCreationTime(i).date() == date)
                indices.insert(i);
        }
    }
    setSelectedFileIndices(indices);
}

void CRemoteGallerySectionModel::clearSelection()
{
    for (CGalleryModel* model : qAsConst(m_galleryModels))
        model->clearSelection();
}

void CRemoteGallerySectionModel::selectAll()
{
    for (CGalleryModel* model : qAsConst(m_galleryModels))
        model->selectAll();
}

void CRemoteGallerySectionModel::refreshAllRows()
{
    for (CGalleryModel* model : qAsConst(m_galleryModels)) {
        const int count = model->rowCount();
        if (count > 0)
            emit model->dataChanged(model->index(0, 0), model->index(count - 1, 0));
    }
}

void CRemoteGallerySectionModel::refreshSections()
{
    const int count = rowCount();
    if (count > 0)
        emit dataChanged(index(0, 0), index(count - 1, 0), {SectionNameRole, SectionItemCountRole});
}
