// The remote commands' bodies and request headers under arbitrary input:
// the JSON number fields, the bearer token and the Host and Origin checks.
//
// Input: the whole of it as a command body and as header values.
//
// Invariants:
//  - a body gives a finite number or a reason, never both and never neither;
//  - a number given is the field's value as JSON reads it;
//  - a Host header is allowed only when it names this server (a loopback
//    name or the listening address) with its port or none;
//  - the bearer token never carries blanks at its ends.
#include "fuzzcheck.h"
#include "remote/commands.h"
#include "remote/gate.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzcheck::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    for (const QString field : {QStringLiteral("ml_min"), QStringLiteral("mpa")}) {
        const remote::commands::NumberField got = remote::commands::numberField(input, field);
        FUZZ_CHECK(got.value.has_value() != !got.error.isEmpty(), input);
        if (got.value) {
            FUZZ_CHECK(std::isfinite(*got.value), input);
            FUZZ_CHECK(QJsonDocument::fromJson(input).object().value(field).toDouble() == *got.value, input);
        }
    }
    const remote::Gate gate([] { return qint64(0); }, QStringLiteral("token"), QStringLiteral("192.168.1.2"), 8470,
                            {QStringLiteral("pump.lab")});
    if (gate.hostAllowed(input)) {
        const QUrl url(QStringLiteral("http://") + QString::fromLatin1(input));
        const QString host = url.host().toLower();
        FUZZ_CHECK(url.port(8470) == 8470, input);
        FUZZ_CHECK(host == QLatin1String("localhost") || host == QLatin1String("pump.lab")
                       || QHostAddress(host).isLoopback() || QHostAddress(host) == QHostAddress(QStringLiteral("192.168.1.2")),
                   input);
    }
    (void)gate.originAllowed(input, "localhost:8470");
    const QByteArray token = remote::Gate::bearer(input);
    FUZZ_CHECK(token == token.trimmed(), input);
    return 0;
}
