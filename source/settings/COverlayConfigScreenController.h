#pragma once

#include <QAbstractListModel>
#include <QObject>
#include <QStringList>

class CDateFormatModel;

// The overlay configuration screen's controller: the date formats with examples and one
// sample text per coordinate format. The screen keeps its working values itself. Created by
// QML; owns its date-format model (deleted with the controller). GUI thread.
class COverlayConfigScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* dateFormatModel READ dateFormatModel CONSTANT)
    Q_PROPERTY(QStringList coordinateFormatModel READ coordinateFormatModel CONSTANT)

public:
    explicit COverlayConfigScreenController(QObject* parent = nullptr);
    ~COverlayConfigScreenController() override;

    QAbstractListModel* dateFormatModel() const;
    QStringList coordinateFormatModel() const;

    Q_INVOKABLE int queryDateFormatIndex(const QString& format) const;
    Q_INVOKABLE QString queryDateFormat(int index) const;

private:
    CDateFormatModel* m_dateFormatModel = nullptr;
};
