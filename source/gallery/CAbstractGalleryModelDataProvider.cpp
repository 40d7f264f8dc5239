#include "gallery/CAbstractGalleryModelDataProvider.h"

#include "gallery/CGalleryModel.h"

#include <algorithm>

CAbstractGalleryModelDataProvider::CAbstractGalleryModelDataProvider() = default;

CAbstractGalleryModelDataProvider::~CAbstractGalleryModelDataProvider() = default;

void CAbstractGalleryModelDataProvider::registerModel(CGalleryModel* model)
{
    m_models.push_back(model);
}

void CAbstractGalleryModelDataProvider::unregisterModel(CGalleryModel* model)
{
    const auto it = std::find(m_models.begin(), m_models.end(), model);
    if (it != m_models.end())
        m_models.erase(it);
}

// The loops copy the list: a model's signal handler may register or unregister models.
void CAbstractGalleryModelDataProvider::notifyBeginReset()
{
    const auto models = m_models;
    for (CGalleryModel* model : models) {
        model->beginResetModel();
        model->clearSelection(false);
    }
}

void CAbstractGalleryModelDataProvider::notifyEndReset()
{
    const auto models = m_models;
    for (CGalleryModel* model : models)
        model->endResetModel();
}

void CAbstractGalleryModelDataProvider::notifyBeginInsertRow(int row)
{
    const auto models = m_models;
    for (CGalleryModel* model : models) {
        model->beginInsertRows(QModelIndex(), row, row);
        model->shiftSelectionForInsertedRow(row);
    }
}

void CAbstractGalleryModelDataProvider::notifyEndInsertRows()
{
    const auto models = m_models;
    for (CGalleryModel* model : models)
        model->endInsertRows();
}

void CAbstractGalleryModelDataProvider::notifyBeginRemoveRow(int row)
{
    const auto models = m_models;
    for (CGalleryModel* model : models) {
        model->beginRemoveRows(QModelIndex(), row, row);
        model->deselectRow(row, false);
        // Rows behind the removed one move up: their ticks go with them, or a later
        // "delete selected" would hit the neighbours of what the operator ticked.
        model->shiftSelectionForRemovedRow(row);
    }
}

void CAbstractGalleryModelDataProvider::notifyEndRemoveRows()
{
    const auto models = m_models;
    for (CGalleryModel* model : models)
        model->endRemoveRows();
}

void CAbstractGalleryModelDataProvider::notifyDataChanged()
{
    const auto models = m_models;
    for (CGalleryModel* model : models) {
        const int count = rowCount(model->modelId());
        if (count > 0)
            emit model->dataChanged(model->index(0, 0), model->index(count - 1, 0), {});
    }
}

void registerGalleryModelDataProviderType()
{
    qRegisterMetaType<std::shared_ptr<CAbstractGalleryModelDataProvider>>(
        "std::shared_ptr<CAbstractGalleryModelDataProvider>");
}
