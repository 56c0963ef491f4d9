#include "core/text.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cmath>
#include <cstdlib>

namespace zov {
namespace {

TEST(GetField, PiecesBetweenSeparators)
{
    struct Case { const char* text; int n; const char* sep; const char* expected; };
    const Case cases[] = {
        {"a  b", 1, " ", "a"}, {"a  b", 2, " ", ""}, {"a  b", 3, " ", "b"}, {"a  b", 4, " ", ""}, {"a  b", 0, " ", ""},
        {"a  b", -1, " ", ""}, {"x\r\ny\r\n", 2, "\r\n", "y"}, {"x\r\ny\r\n", 3, "\r\n", ""}, {"", 1, ",", ""},
        {"-1,-2,", 2, ",", "-2"}, {",a", 1, ",", ""}, {",a", 2, ",", "a"}, {"tube.a.tdf", 3, ".", "tdf"},
        {"a\rb\r\nc", 2, "\r\n", "c"},  // the separator is a whole string, not a set
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetField(c.text, c.n, c.sep), c.expected) << c.text << " #" << c.n;
}

TEST(NumericValue, LeadingNumberOnly)
{
    const std::pair<const char*, double> cases[] = {
        {"12", 12},       {"  -2.5", -2.5}, {"+7", 7},           {".5", 0.5},  {"-.25x", -0.25},
        {"1,5", 1},       {"1.5E-04", 1.5e-4}, {"2e3", 2000},    {"2e", 2},    {"2e+", 2},
        {"3.", 3},        {"abc", 0},       {"", 0},             {"-", 0},     {".", 0},
        {"1.220703E-02 0", 0.01220703},     {"\t4", 4},          {"1e999", 0}, {"- 5", 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_DOUBLE_EQ(numericValue(text), expected) << text;
    std::size_t used = 99, none = 99;
    numericValue("  -1.5e2V", &used), numericValue("V", &none);
    EXPECT_EQ(std::make_pair(used, none), std::make_pair(std::size_t(8), std::size_t(0)));
}

// A user whose locale writes "2,5" still gets "." in every number the
// program writes and reads. The comma locale is made for the test (from the
// system's locale sources), so it runs on any machine, not only on one that
// happens to have a German locale installed.
TEST(NumericValue, IgnoresACommaLocale)
{
    QTemporaryDir localeDir;
    ASSERT_TRUE(localeDir.isValid());
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        const std::string make = "localedef -i de_DE -f UTF-8 '" + localeDir.path().toStdString()
                                 + "/de_DE.UTF-8' >/dev/null 2>&1";
        ASSERT_EQ(std::system(make.c_str()), 0) << "localedef could not make de_DE.UTF-8 (package locales)";
        ::setenv("LOCPATH", localeDir.path().toLocal8Bit().constData(), 1);
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // The environment really writes commas now.
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 2.5);
    ASSERT_STREQ(printed, "2,5");
    ASSERT_EQ(QLocale().toString(2.5), QStringLiteral("2,5"));

    const std::pair<double, const char*> written[] = {
        {2.5, "2.5"}, {-0.00015, "-0.00015"}, {1.220703e-2, "1.220703E-02"}, {1.234568e7, "1.234568E+07"}};
    for (const auto& [value, text] : written) {
        EXPECT_EQ(formatGeneral(value), text);
        EXPECT_DOUBLE_EQ(numericValue(text), value) << text;
    }
    EXPECT_EQ(formatPattern(1234.25, "##0.0"), "1234.3");
    EXPECT_EQ(formatPattern(2, "##0.#"), "2.");
    EXPECT_DOUBLE_EQ(numericValue("2,5"), 2.0);  // a comma ends the number, as any other misfit does

    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
}

TEST(RoundHalfEven, TiesGoToEven)
{
    const std::pair<double, std::int64_t> cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {7.5, 8}, {2.4, 2}, {1e300, INT64_MAX}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(roundHalfEven(value), expected) << value;
}

TEST(FormatPattern, DocumentPatterns)
{
    struct Case { double value; const char* pattern; const char* expected; };
    const Case cases[] = {
        {2, "##0.#", "2."}, {0.2, "###.0", ".2"}, {2.25, "##0.0", "2.3"}, {-2.25, "##0.0", "-2.3"},
        {0, "##0.0", "0.0"}, {1234.5, "##0.0", "1234.5"}, {-2, "##0.#", "-2."}, {249.5, "#", "250"}, {0, "#", ""},
        {11, "###.0", "11.0"}, {2, "0.##", "2."}, {0.125, "0.##", "0.13"}, {3.14159, "###.0##W", "3.142W"},
        {3.1, "###.0##W", "3.1W"}, {62.5, "###.0K", "62.5K"}, {5.55, "#0.#", "5.6"}, {-0.04, "#0.0", "0.0"},
        {2.675, "0.##", "2.68"}, {99.96, "#0.0", "100.0"}};
    for (const Case& c : cases)
        EXPECT_EQ(formatPattern(c.value, c.pattern), c.expected) << c.value << " " << c.pattern;
}

TEST(FormatGeneral, SevenDigitsAndExponentSwitch)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0"}, {-2.5, "-2.5"}, {-10, "-10"}, {0.47f, "0.47"}, {15400.49f, "15400.49"},
        {50.0 / 1024 / 4, "1.220703E-02"}, {1.0 / 1024 / 32, "3.051758E-05"}, {0.00015, "0.00015"},
        {0.0001, "0.0001"}, {0.00001, "1E-05"}, {1234567, "1234567"}, {12345678, "1.234568E+07"},
        {1.0 / 3, "0.3333333"}, {9999999.6, "1E+07"}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(formatGeneral(value), expected) << value;
}

TEST(FormatGeneral, ReadsBackWithinSevenDigits)
{
    std::srand(7);
    for (int i = 0; i < 2000; ++i) {
        const double v = (std::rand() / double(RAND_MAX) - 0.5) * std::pow(10.0, std::rand() % 16 - 8);
        EXPECT_NEAR(numericValue(formatGeneral(v)), v, std::fabs(v) * 5e-7) << formatGeneral(v);
    }
    for (float f : {0.0F, 0.47F, -2.5F, 1.220703e-2F, 3.0517578e-5F, 15400.49F, 1e-30F, 3.4e38F})
        EXPECT_EQ(std::strtof(formatRoundTrip(f).c_str(), nullptr), f) << formatRoundTrip(f);
}

}  // namespace
}  // namespace zov
