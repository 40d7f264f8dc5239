#include "helpers/CPropertyInputType.h"

#include <QLocale>

#include <cmath>
#include <limits>

CPropertyInputType::CPropertyInputType(Type type, const QString& description, QObject* parent)
    : QObject(parent)
    , m_type(type)
    , m_description(description)
{
}

CPropertyInputType::CPropertyInputType(Type type, const QString& description, const QString& unit,
                                       const QVariant& minimumValue, const QVariant& maximumValue, int decimals,
                                       QObject* parent)
    : QObject(parent)
    , m_type(type)
    , m_description(description)
    , m_unit(unit)
    , m_minimumValue(minimumValue)
    , m_maximumValue(maximumValue)
    , m_decimals(decimals)
{
}

CPropertyInputType::CPropertyInputType(Type type, const QString& description, const QStringList& textList,
                                       const QList<QVariant>& valueList, QObject* parent)
    : QObject(parent)
    , m_type(type)
    , m_description(description)
    , m_textList(textList)
    , m_valueList(valueList)
{
}

CPropertyInputType::Type CPropertyInputType::type() const
{
    return m_type;
}

QString CPropertyInputType::description() const
{
    return m_description;
}

QString CPropertyInputType::unit() const
{
    return m_unit;
}

QStringList CPropertyInputType::textList() const
{
    return m_textList;
}

QList<QVariant> CPropertyInputType::valueList() const
{
    return m_valueList;
}

QVariant CPropertyInputType::minimumValue() const
{
    return m_minimumValue;
}

QVariant CPropertyInputType::maximumValue() const
{
    return m_maximumValue;
}

int CPropertyInputType::decimals() const
{
    return m_decimals;
}

int CPropertyInputType::listIndexFromText(const QString& text) const
{
    return m_textList.indexOf(text);
}

QString CPropertyInputType::textFromListIndex(int index) const
{
    if (index < 0 || index >= m_textList.size())
        return QString();
    return m_textList.at(index);
}

QVariant CPropertyInputType::valueFromText(const QVariant& value) const
{
    switch (m_type) {
    case TypeText:
    case TypeManhole:
        return value;
    case TypeTextList: {
        const int index = m_textList.indexOf(value.toString());
        if (index < 0 || index >= m_valueList.size())
            return QVariant();
        return m_valueList.at(index);
    }
    case TypeDouble: {
        bool ok = false;
        const double number = QLocale().toDouble(value.toString(), &ok);
        return ok ? number : std::numeric_limits<double>::quiet_NaN();
    }
    case TypeInvalid:
        break;
    }
    return QVariant();
}

QVariant CPropertyInputType::textFromValue(const QVariant& value) const
{
    switch (m_type) {
    case TypeText:
    case TypeManhole:
        return value;
    case TypeTextList: {
        const int index = m_valueList.indexOf(value);
        if (index < 0 || index >= m_textList.size())
            return QString();
        return m_textList.at(index);
    }
    case TypeDouble: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || std::isnan(number))
            return QString();
        return QLocale().toString(number, 'f', 2);
    }
    case TypeInvalid:
        break;
    }
    return QString();
}
