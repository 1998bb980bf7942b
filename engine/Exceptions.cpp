#include "engine/Exceptions.h"

Exception::Exception(QString message)
    : message_(std::move(message)), utf8_(message_.toUtf8())
{
}

QString DescribeException(const std::exception& error)
{
    if (auto known = dynamic_cast<const Exception*>(&error))
        return known->ClassName() + QStringLiteral(": ") + known->Message();
    // Standard library failures (bad_alloc and friends) keep their own text.
    return QStringLiteral("Exception: ") + QString::fromUtf8(error.what());
}
