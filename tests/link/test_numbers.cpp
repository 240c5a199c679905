#include "link/numbers.h"

#include <QtTest>

#include <limits>

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void patterns_data();
    void patterns();
    void toDouble_data();
    void toDouble();
    void toDoubleUsesTheLocaleSeparator();
    void plainDecimalsReadAsEveryLocaleReadsThem();
    void toInt16_data();
    void toInt16();
    void generalText_data();
    void generalText();
    void generalTextUsesTheGivenSeparator();
};

void TestNumbers::patterns_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("intDigits");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");

    // "00": the pump number.
    QTest::newRow("pump 0") << 0.0 << 2 << 0 << "00";
    QTest::newRow("pump 3") << 3.0 << 2 << 0 << "03";
    QTest::newRow("pump 12") << 12.0 << 2 << 0 << "12";
    QTest::newRow("pump 100 widens") << 100.0 << 2 << 0 << "100";
    QTest::newRow("pump -1") << -1.0 << 2 << 0 << "-01";
    // "0000": flow, halves away from zero.
    QTest::newRow("flow 120") << 120.0 << 4 << 0 << "0120";
    QTest::newRow("flow 120.5") << 120.5 << 4 << 0 << "0121";
    QTest::newRow("flow 499.5") << 499.5 << 4 << 0 << "0500";
    QTest::newRow("flow 500") << 500.0 << 4 << 0 << "0500";
    QTest::newRow("flow 1") << 1.0 << 4 << 0 << "0001";
    QTest::newRow("flow 0") << 0.0 << 4 << 0 << "0000";
    QTest::newRow("flow 0.4") << 0.4 << 4 << 0 << "0000";
    QTest::newRow("flow 0.5") << 0.5 << 4 << 0 << "0001";
    QTest::newRow("flow 9999.5 carries") << 9999.5 << 4 << 0 << "10000";
    QTest::newRow("flow -2.5") << -2.5 << 4 << 0 << "-0003";
    // "00.0": pressure, rounded as the decimal text reads.
    QTest::newRow("pressure 1.5") << 1.5 << 2 << 1 << "01.5";
    QTest::newRow("pressure 2") << 2.0 << 2 << 1 << "02.0";
    QTest::newRow("pressure 0") << 0.0 << 2 << 1 << "00.0";
    QTest::newRow("pressure 1.25") << 1.25 << 2 << 1 << "01.3";
    QTest::newRow("pressure 1.15") << 1.15 << 2 << 1 << "01.2";
    QTest::newRow("pressure 0.05") << 0.05 << 2 << 1 << "00.1";
    QTest::newRow("pressure 0.04") << 0.04 << 2 << 1 << "00.0";
    QTest::newRow("pressure 2.04") << 2.04 << 2 << 1 << "02.0";
    QTest::newRow("pressure 1.95") << 1.95 << 2 << 1 << "02.0";
    QTest::newRow("pressure 0.95") << 0.95 << 2 << 1 << "01.0";
    QTest::newRow("pressure 12.34") << 12.34 << 2 << 1 << "12.3";
    QTest::newRow("pressure 99.95") << 99.95 << 2 << 1 << "100.0";
    QTest::newRow("pressure 0.005") << 0.005 << 2 << 1 << "00.0";
    QTest::newRow("pressure tiny") << 1e-300 << 2 << 1 << "00.0";
    QTest::newRow("pressure -1.25") << -1.25 << 2 << 1 << "-01.3";
    QTest::newRow("pressure -0.01 is zero") << -0.01 << 2 << 1 << "00.0";
    QTest::newRow("huge") << 1e20 << 4 << 0 << "100000000000000000000";
}

void TestNumbers::patterns()
{
    QFETCH(double, value);
    QFETCH(int, intDigits);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(numbers::formatPattern(value, intDigits, decimals), expected);
}

void TestNumbers::toDouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<double>("value");

    QTest::newRow("plain") << "120" << true << 120.0;
    QTest::newRow("fraction") << "1.5" << true << 1.5;
    QTest::newRow("blanks around") << "  3 " << true << 3.0;
    QTest::newRow("negative") << "-3" << true << -3.0;
    QTest::newRow("plus") << "+7" << true << 7.0;
    QTest::newRow("exponent") << "1E-05" << true << 1e-05;
    QTest::newRow("leading zeros") << "01.5" << true << 1.5;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks only") << "   " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("number then letters") << "12abc" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("inner blank") << "1 2" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("-inf") << "-inf" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("overflow") << "1e999" << false << 0.0;
    QTest::newRow("keypad pressure text") << "01." << true << 1.0;
    QTest::newRow("answer text ABCD") << "ABCD" << false << 0.0;
}

void TestNumbers::toDouble()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(double, value);
    const auto result = numbers::toDouble(text, QLocale::c());
    QCOMPARE(result.has_value(), converts);
    if (converts)
        QCOMPARE(*result, value);
}

void TestNumbers::toDoubleUsesTheLocaleSeparator()
{
    const QLocale german(QLocale::German, QLocale::Germany);
    QCOMPARE(numbers::toDouble(QStringLiteral("1,5"), german).value_or(-1), 1.5);
    // A point still reads as a decimal point where the locale uses a comma.
    QCOMPARE(numbers::toDouble(QStringLiteral("1.5"), german).value_or(-1), 1.5);
    QCOMPARE(numbers::toDouble(QStringLiteral(" 2,25 "), german).value_or(-1), 2.25);
    QVERIFY(!numbers::toDouble(QStringLiteral("1,5"), QLocale::c()));
}

// Plain decimals (digits and a point, as the pump sends them) take a short
// way that skips the locale; it must give what the locale's own reading gives
// (with the C reading where the locale refuses), for every short text of
// digits and points, in locales with a point, a comma and other separators.
void TestNumbers::plainDecimalsReadAsEveryLocaleReadsThem()
{
    const auto byTheLocale = [](const QString& text, const QLocale& locale) -> std::optional<double> {
        bool ok = false;
        double value = locale.toDouble(text, &ok);
        if (!ok)
            value = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(value))
            return std::nullopt;
        return value;
    };
    const QList<QLocale> locales = {QLocale::c(),
                                    QLocale(QLocale::English, QLocale::UnitedStates),
                                    QLocale(QLocale::German, QLocale::Germany),
                                    QLocale(QLocale::French, QLocale::France),
                                    QLocale(QLocale::Chinese, QLocale::China),
                                    QLocale(QLocale::Arabic, QLocale::Egypt),
                                    QLocale(QLocale::Hindi, QLocale::India)};
    const QString alphabet = QStringLiteral("0159.");
    QStringList texts{QString()};
    for (int length = 1; length <= 6; ++length) {
        QStringList longer;
        for (const QString& text : std::as_const(texts)) {
            if (text.size() == length - 1) {
                for (const QChar c : alphabet)
                    longer << text + c;
            }
        }
        texts << longer;
    }
    texts << QStringLiteral("1234567890123456789.25") << QStringLiteral("00000000000000000000001");
    int compared = 0;
    for (const QLocale& locale : locales) {
        for (const QString& text : std::as_const(texts)) {
            const auto expected = byTheLocale(text, locale);
            const auto got = numbers::toDouble(text, locale);
            QVERIFY2(got.has_value() == expected.has_value() && (!got || *got == *expected),
                     qPrintable(QStringLiteral("%1 in %2").arg(text, locale.name())));
            ++compared;
        }
    }
    QVERIFY(compared > 50000);
}

void TestNumbers::toInt16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("value");

    QTest::newRow("1") << "1" << true << 1;
    QTest::newRow("blanks") << " 3 " << true << 3;
    QTest::newRow("2.5 to even") << "2.5" << true << 2;
    QTest::newRow("3.5 to even") << "3.5" << true << 4;
    QTest::newRow("-2.5 to even") << "-2.5" << true << -2;
    QTest::newRow("2.6") << "2.6" << true << 3;
    QTest::newRow("max") << "32767" << true << 32767;
    QTest::newRow("min") << "-32768" << true << -32768;
    QTest::newRow("above") << "32768" << false << 0;
    QTest::newRow("rounds above") << "32767.5" << false << 0;
    QTest::newRow("below") << "-32769" << false << 0;
    QTest::newRow("70000") << "70000" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("letters") << "COM3" << false << 0;
    QTest::newRow("nan") << "nan" << false << 0;
}

void TestNumbers::toInt16()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(int, value);
    const auto result = numbers::toInt16(text, QLocale::c());
    QCOMPARE(result.has_value(), converts);
    if (converts)
        QCOMPARE(int(*result), value);
}

void TestNumbers::generalText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0") << 0.0 << "0";
    QTest::newRow("1") << 1.0 << "1";
    QTest::newRow("0.5") << 0.5 << "0.5";
    QTest::newRow("-2") << -2.0 << "-2";
    QTest::newRow("-0.75") << -0.75 << "-0.75";
    QTest::newRow("2.5") << 2.5 << "2.5";
    QTest::newRow("120.5") << 120.5 << "120.5";
    QTest::newRow("1E-05") << 1e-05 << "1E-05";
    QTest::newRow("0.0001 stays fixed") << 0.0001 << "0.0001";
    QTest::newRow("1.5E+16") << 1.5e16 << "1.5E+16";
    QTest::newRow("1E+15") << 1e15 << "1E+15";
    QTest::newRow("15 digits stay fixed") << 123456789012345.0 << "123456789012345";
    QTest::newRow("0.1 is not 0.1000000000000000055") << 0.1 << "0.1";
    QTest::newRow("1/3 to 15 digits") << 1.0 / 3.0 << "0.333333333333333";
    QTest::newRow("2/3 rounds") << 2.0 / 3.0 << "0.666666666666667";
    QTest::newRow("1.15") << 1.15 << "1.15";
    QTest::newRow("large exponent") << 1.7976931348623157e308 << "1.79769313486232E+308";
    QTest::newRow("small exponent") << 2.5e-300 << "2.5E-300";
    QTest::newRow("negative exponent form") << -1.5e-7 << "-1.5E-07";
    QTest::newRow("negative zero") << -0.0 << "0";
}

void TestNumbers::generalText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(numbers::generalText(value), expected);
}

void TestNumbers::generalTextUsesTheGivenSeparator()
{
    QCOMPARE(numbers::generalText(-0.75, QLatin1Char(',')), QStringLiteral("-0,75"));
    QCOMPARE(numbers::generalText(1.5e16, QLatin1Char(',')), QStringLiteral("1,5E+16"));
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
