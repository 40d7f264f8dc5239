#pragma once

#include "gallery/CAbstractGalleryModelDataProvider.h"
#include "gallery/CBaseSelectionModel.h"

#include <memory>

// A tickable list of media files whose rows come from a data provider, asked under this
// model's identifier. Shares the provider with the screen controller and the other models
// over it. GUI thread only.
class CGalleryModel : public CBaseSelectionModel
{
    Q_OBJECT

public:
    enum Roles
    {
        FileTypeRole = Qt::UserRole + 1,
        FileNameRole = Qt::UserRole + 2,
        FileUrlRole = Qt::UserRole + 3,
        FileStateRole = Qt::UserRole + 4
    };

    CGalleryModel(std::shared_ptr<CAbstractGalleryModelDataProvider> provider, int modelId,
                  QObject* parent = nullptr);
    ~CGalleryModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int modelId() const { return m_modelId; }
    void setModelId(int modelId);
    std::shared_ptr<CAbstractGalleryModelDataProvider> dataProvider() const { return m_provider; }
    void setDataProvider(std::shared_ptr<CAbstractGalleryModelDataProvider> provider);

    // Makes views read every row again.
    void resetModel();

signals:
    void modelIdChanged();

private:
    friend class CAbstractGalleryModelDataProvider;

    std::shared_ptr<CAbstractGalleryModelDataProvider> m_provider;
    int m_modelId = -1;
};
