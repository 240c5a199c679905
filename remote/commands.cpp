#include "remote/commands.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>

namespace remote::commands {

NumberField numberField(const QByteArray& body, const QString& field)
{
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parse);
    if (parse.error != QJsonParseError::NoError)
        return {std::nullopt, QStringLiteral("bad JSON at offset %1: %2").arg(parse.offset).arg(parse.errorString())};
    if (!doc.isObject())
        return {std::nullopt, QStringLiteral("the body must be a JSON object")};
    const QJsonValue value = doc.object().value(field);
    if (value.isUndefined())
        return {std::nullopt, QStringLiteral("\"%1\" is missing").arg(field)};
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return {std::nullopt, QStringLiteral("\"%1\" must be a number").arg(field)};
    return {value.toDouble(), QString()};
}

}  // namespace remote::commands
