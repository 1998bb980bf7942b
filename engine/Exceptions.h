#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

// Every failure in the player is one of these. The class name is part of what
// the reader sees ("EConvertError: ..."), so each class reports a fixed name
// instead of a compiler-specific type name.
class Exception : public std::exception {
public:
    explicit Exception(QString message);
    ~Exception() override = default;

    const QString& Message() const noexcept { return message_; }
    virtual QString ClassName() const { return QStringLiteral("Exception"); }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

#define KVT_DECLARE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                              \
    public:                                                                 \
        using Base::Base;                                                   \
        QString ClassName() const override { return QStringLiteral(#Name); } \
    }

KVT_DECLARE_EXCEPTION(EConvertError, Exception);
KVT_DECLARE_EXCEPTION(EOSError, Exception);
KVT_DECLARE_EXCEPTION(EAssertionFailed, Exception);

// Text that the handler prints for an exception: "<class name>: <message>".
QString DescribeException(const std::exception& error);
