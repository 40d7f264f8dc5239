#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

// The description of one editable survey property: what kind of input the QML editor shows
// and how entered texts map to stored values. Made by the survey property model, which owns
// the objects.
class CPropertyInputType : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Type type READ type CONSTANT)
    Q_PROPERTY(QString description READ description CONSTANT)
    Q_PROPERTY(QString unit READ unit CONSTANT)
    Q_PROPERTY(QStringList textList READ textList CONSTANT)
    Q_PROPERTY(QVariant minimumValue READ minimumValue CONSTANT)
    Q_PROPERTY(QVariant maximumValue READ maximumValue CONSTANT)
    Q_PROPERTY(int decimals READ decimals CONSTANT)

public:
    enum Type
    {
        TypeInvalid = 0,
        TypeText = 1,
        TypeTextList = 2,
        TypeDouble = 3,
        TypeManhole = 4
    };
    Q_ENUM(Type)

    // Text and manhole inputs.
    CPropertyInputType(Type type, const QString& description, QObject* parent = nullptr);
    // Number inputs.
    CPropertyInputType(Type type, const QString& description, const QString& unit, const QVariant& minimumValue,
                       const QVariant& maximumValue, int decimals, QObject* parent = nullptr);
    // List inputs: valueList[i] is the stored value of textList[i].
    CPropertyInputType(Type type, const QString& description, const QStringList& textList,
                       const QList<QVariant>& valueList, QObject* parent = nullptr);

    Type type() const;
    QString description() const;
    QString unit() const;
    QStringList textList() const;
    QList<QVariant> valueList() const;
    QVariant minimumValue() const;
    QVariant maximumValue() const;
    int decimals() const;

    Q_INVOKABLE int listIndexFromText(const QString& text) const;
    Q_INVOKABLE QString textFromListIndex(int index) const;

    // Stored value of an entered value; invalid (or NaN for numbers) when it does not map.
    QVariant valueFromText(const QVariant& value) const;
    // Text shown for a stored value; an empty string when it does not map.
    QVariant textFromValue(const QVariant& value) const;

private:
    Type m_type = TypeInvalid;
    QString m_description;
    QString m_unit;
    QStringList m_textList;
    QList<QVariant> m_valueList;
    QVariant m_minimumValue;
    QVariant m_maximumValue;
    int m_decimals = 0;
};
