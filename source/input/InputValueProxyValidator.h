#pragma once

#include <QRegExpValidator>

// The validator of the QML value input. With project-name validation it refuses "&", "<"
// and ">", which the project files and the web service cannot take in a name, and says so
// with validationFailed() so the screen can tell the operator.
class InputValueProxyValidator : public QRegExpValidator
{
    Q_OBJECT
    Q_PROPERTY(ValidationType validationType READ validationType WRITE setValidationType
                   NOTIFY validationTypeChanged)

public:
    enum ValidationType
    {
        NoValidation = 0,
        ProjectNameValidation = 1
    };
    Q_ENUM(ValidationType)

    explicit InputValueProxyValidator(QObject* parent = nullptr);

    ValidationType validationType() const { return m_validationType; }
    void setValidationType(ValidationType type);

    State validate(QString& input, int& position) const override;

signals:
    void validationTypeChanged();
    void validationFailed() const;

private:
    ValidationType m_validationType = NoValidation;
};
