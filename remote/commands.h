#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The bodies of the remote commands: {"ml_min": 120}, {"mpa": 1.5}. Plain
// parsing, with the reason a body is refused in words a script's author can
// act on. Range checks are the panel's own (its dialogs' checks).
namespace remote::commands {

// Bodies larger than this are refused before they are read.
inline constexpr int kMaxBodyBytes = 4096;

struct NumberField {
    std::optional<double> value;
    QString error;  // set when value is not
};

// The number `field` of a JSON object body. Refused: text that is not JSON,
// JSON that is not an object, a missing field, a field that is not a finite
// number.
NumberField numberField(const QByteArray& body, const QString& field);

}  // namespace remote::commands
