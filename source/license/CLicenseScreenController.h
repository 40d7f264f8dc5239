#pragma once

#include <QObject>
#include <QStringList>

// The licence screen's controller: the names and full texts of the licences that come with
// the program, read once from the resources. A text that cannot be read is empty, so both
// lists always have the same three entries. Created by QML. GUI thread.
class CLicenseScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList licenseNames READ licenseNames CONSTANT)
    Q_PROPERTY(QStringList licenseTexts READ licenseTexts CONSTANT)

public:
    explicit CLicenseScreenController(QObject* parent = nullptr);

    QStringList licenseNames() const { return m_names; }
    QStringList licenseTexts() const { return m_texts; }

private:
    QStringList m_names;
    QStringList m_texts;
};
