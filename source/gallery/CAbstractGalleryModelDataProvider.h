#pragma once

#include <QMetaType>
#include <QString>
#include <QUrl>

#include <memory>
#include <vector>

class CGalleryModel;

// The rows of one or more gallery models. A provider is held by std::shared_ptr (the screen
// controller and every model over it share it); models register themselves while they use it
// and unregister in their destructor, so the provider never keeps a pointer to a destroyed
// model. The modelId tells which model asks (-1 for a provider with one model only).
// GUI thread only.
class CAbstractGalleryModelDataProvider
{
public:
    CAbstractGalleryModelDataProvider();
    virtual ~CAbstractGalleryModelDataProvider();

    CAbstractGalleryModelDataProvider(const CAbstractGalleryModelDataProvider&) = delete;
    CAbstractGalleryModelDataProvider& operator=(const CAbstractGalleryModelDataProvider&) = delete;

    virtual int rowCount(int modelId) const = 0;
    virtual QUrl fileUrl(int modelId, int row) const = 0;
    virtual QString fileName(int modelId, int row) const = 0;
    // A GalleryTypes::FileType.
    virtual int fileType(int modelId, int row) const = 0;
    // A GalleryTypes::FileState.
    virtual int fileState(int modelId, int row) const = 0;

    void registerModel(CGalleryModel* model);
    void unregisterModel(CGalleryModel* model);

    // Each goes to every registered model, in registration order. A reset drops the models'
    // selections; an inserted or removed row moves the selected rows behind it.
    void notifyBeginReset();
    void notifyEndReset();
    void notifyBeginInsertRow(int row);
    void notifyEndInsertRows();
    void notifyBeginRemoveRow(int row);
    void notifyEndRemoveRows();
    void notifyDataChanged();

protected:
    const std::vector<CGalleryModel*>& registeredModels() const { return m_models; }

private:
    std::vector<CGalleryModel*> m_models;
};

using GalleryModelDataProviderPtr = std::shared_ptr<CAbstractGalleryModelDataProvider>;
Q_DECLARE_METATYPE(std::shared_ptr<CAbstractGalleryModelDataProvider>)

// Registers "std::shared_ptr<CAbstractGalleryModelDataProvider>" with the meta-type system;
// safe to call more than once.
void registerGalleryModelDataProviderType();
