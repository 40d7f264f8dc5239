#pragma once

#include <QObject>

// Placeholder until media import lands.
class CMediaImportService : public QObject
{
    Q_OBJECT

public:
    explicit CMediaImportService(QObject* parent = nullptr);

signals:
    void importFinished();
};
