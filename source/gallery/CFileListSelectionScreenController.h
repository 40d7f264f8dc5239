#pragma once

#include <QAbstractListModel>
#include <QObject>
#include <QStringList>

class CFileListSelectionModel;

// Shows a list of files with a check mark each, all ticked at first, and hands out the ticked
// and unticked ones. Owns its selection model. GUI thread only.
class CFileListSelectionScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* selectionModel READ selectionModel CONSTANT)
    Q_PROPERTY(QStringList fileList READ fileList WRITE setFileList NOTIFY fileListChanged)

public:
    explicit CFileListSelectionScreenController(QObject* parent = nullptr);
    ~CFileListSelectionScreenController() override;

    QAbstractListModel* selectionModel() const;
    QStringList fileList() const;
    void setFileList(const QStringList& files);

    // Ticked files in list order.
    Q_INVOKABLE QStringList querySelectedFiles() const;
    Q_INVOKABLE QStringList queryDeselectedFiles() const;

signals:
    void fileListChanged();

private:
    CFileListSelectionModel* m_model = nullptr;
};
