#pragma once

#include "gallery/IRemoteGallerySections.h"

#include <QAbstractListModel>
#include <QDate>
#include <QList>
#include <QSet>

#include <memory>

class CGalleryModel;
class CRemoteGalleryModelDataProvider;

// The day sections of the camera gallery: one row per section of the shared provider, each
// with its own gallery model (model identifier = section index). Owns those models; the
// provider resets this model around every rebuild of its sections. GUI thread only.
class CRemoteGallerySectionModel : public QAbstractListModel, public IRemoteGallerySections
{
    Q_OBJECT
    Q_PROPERTY(int selectionCount READ selectionCount NOTIFY selectionCountChanged)

public:
    enum Roles
    {
        GalleryModelRole = Qt::UserRole,
        SectionNameRole = Qt::UserRole + 1,
        SectionItemCountRole = Qt::UserRole + 2
    };

    explicit CRemoteGallerySectionModel(QObject* parent = nullptr);
    ~CRemoteGallerySectionModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setDataProvider(const std::shared_ptr<CRemoteGalleryModelDataProvider>& provider);
    CGalleryModel* galleryModel(int section) const;

    int selectionCount() const;
    QSet<int> selectedFileIndices() const override;
    void setSelectedFileIndices(const QSet<int>& fileIndices);
    void selectAllFromDate(const QDate& date);
    void clearSelection();
    void selectAll();
    void refreshAllRows();
    void refreshSections() override;

    // The provider resets this model around every rebuild of its sections.
    void sectionsAboutToBeRebuilt() override;
    void sectionsRebuilt() override;

signals:
    void selectionCountChanged();

private:
    void rebuildGalleryModels();
    void deleteGalleryModels();

    std::shared_ptr<CRemoteGalleryModelDataProvider> m_provider;
    QList<CGalleryModel*> m_galleryModels;
};
