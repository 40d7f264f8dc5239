#include "gallery/CGalleryModel.h"

#include <utility>

CGalleryModel::CGalleryModel(std::shared_ptr<CAbstractGalleryModelDataProvider> provider, int modelId,
                             QObject* parent)
    : CBaseSelectionModel(parent)
    , m_provider(std::move(provider))
    , m_modelId(modelId)
{
    if (m_provider)
        m_provider->registerModel(this);
}

CGalleryModel::~CGalleryModel()
{
    if (m_provider)
        m_provider->unregisterModel(this);
}

int CGalleryModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_provider)
        return 0;
    return m_provider->rowCount(m_modelId);
}

QVariant CGalleryModel::data(const QModelIndex& index, int role) const
{
    if (!m_provider)
        return QVariant();
    const int row = index.row();
    if (row < 0 || row >= m_provider->rowCount(m_modelId))
        return QVariant();
    switch (role) {
    case FileTypeRole:
        return m_provider->fileType(m_modelId, row);
    case FileNameRole:
        return m_provider->fileName(m_modelId, row);
    case FileUrlRole:
        return m_provider->fileUrl(m_modelId, row);
    case FileStateRole:
        return m_provider->fileState(m_modelId, row);
    default:
        return CBaseSelectionModel::data(index, role);
    }
}

QHash<int, QByteArray> CGalleryModel::roleNames() const
{
    QHash<int, QByteArray> names = CBaseSelectionModel::roleNames();
    names.insert(FileTypeRole, "modelData_FileType");
    names.insert(FileNameRole, "modelData_FileName");
    names.insert(FileUrlRole, "modelData_FileUrl");
    names.insert(FileStateRole, "modelData_FileState");
    return names;
}

void CGalleryModel::setModelId(int modelId)
{
    if (modelId == m_modelId)
        return;
    beginResetModel();
    m_modelId = modelId;
    emit modelIdChanged();
    endResetModel();
}

void CGalleryModel::setDataProvider(std::shared_ptr<CAbstractGalleryModelDataProvider> provider)
{
    if (provider == m_provider)
        return;
    beginResetModel();
    if (m_provider)
        m_provider->unregisterModel(this);
    m_provider = std::move(provider);
    if (m_provider)
        m_provider->registerModel(this);
    // The rows are another provider's now: old ticks would point at other files.
    clearSelection(false);
    endResetModel();
}

void CGalleryModel::resetModel()
{
    beginResetModel();
    endResetModel();
}
