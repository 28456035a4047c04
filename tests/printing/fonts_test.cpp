// The designed font names resolve to installed CJK faces, and text drawn in
// them survives Qt's PDF output (what a print job through CUPS carries).

#include "printing/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/qt_print.h"

#include <iostream>

namespace quillet {
namespace {

struct DesignedFace {
    const char* testName;
    const char* name;
};

void PrintTo(const DesignedFace& row, std::ostream* os)
{
    *os << row.testName;
}

class DesignedFont : public ::testing::TestWithParam<DesignedFace> {
protected:
    QString Name() const { return QString::fromUtf8(GetParam().name); }
};

TEST_P(DesignedFont, ResolvesToAnInstalledChineseFace)
{
    const QString resolved = ResolvedFontFamily(Name());
    std::cout << "[ font ] " << GetParam().name << " -> " << resolved.toStdString() << '\n';
    EXPECT_TRUE(FontSubstitutesFor(Name()).contains(resolved))
        << "fell back to " << resolved.toStdString();
    EXPECT_TRUE(QFontDatabase::writingSystems(resolved).contains(QFontDatabase::SimplifiedChinese))
        << resolved.toStdString() << " cannot show Chinese";
}

TEST_P(DesignedFont, StylesKeepTheSameFace)
{
    FontSpec fontSpec;
    fontSpec.name = GetParam().name;
    fontSpec.size = 12;
    fontSpec.bold = 1;
    fontSpec.italic = 1;
    const QString resolved = ResolvedFontFamily(MakeQFont(fontSpec));
    EXPECT_TRUE(FontSubstitutesFor(Name()).contains(resolved)) << resolved.toStdString();
}

TEST_P(DesignedFont, PdfOutputKeepsDigitsAndCharacters)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("font.pdf"));
    const QString text = QStringLiteral("第12页 共345页");
    {
        QPdfWriter writer(pdf);
        QPainter painter(&writer);
        FontSpec fontSpec;
        fontSpec.name = GetParam().name;
        fontSpec.size = 24;
        painter.setFont(MakeQFont(fontSpec));
        painter.drawText(QPointF(200, 800), text);
    }
    QProcess extract;
    extract.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(extract.waitForFinished(30000));
    const QString extracted = QString::fromUtf8(extract.readAllStandardOutput()).trimmed();
    EXPECT_EQ(extracted, text);
}

INSTANTIATE_TEST_SUITE_P(Fonts, DesignedFont,
                         ::testing::Values(DesignedFace{"Song", "宋体"},
                                           DesignedFace{"Kai", "楷体"},
                                           DesignedFace{"Hei", "黑体"}),
                         [](const ::testing::TestParamInfo<DesignedFace>& info) {
                             return std::string(info.param.testName);
                         });

TEST(FontSubstitutions, InstallingTwiceKeepsTheOrder)
{
    InstallFontSubstitutions();
    InstallFontSubstitutions();
    // Qt keeps substitutes in lower case.
    EXPECT_EQ(QFont::substitutes(QStringLiteral("宋体")),
              (QStringList{QStringLiteral("ar pl uming cn"), QStringLiteral("noto serif cjk sc")}));
    EXPECT_EQ(QFont::substitutes(QStringLiteral("楷体")),
              QStringList{QStringLiteral("ar pl ukai cn")});
    EXPECT_EQ(
        QFont::substitutes(QStringLiteral("黑体")),
        (QStringList{QStringLiteral("wenquanyi zen hei"), QStringLiteral("noto sans cjk sc")}));
    EXPECT_TRUE(FontSubstitutesFor(QStringLiteral("Arial")).isEmpty());
}

constexpr int kDefaultSize = -1; // whatever a default QFont has

struct FontRow {
    const char* testName;
    FontSpec fontSpec;
    int pointSize;
    int weight;
    bool italic;
    bool underline;
    bool strikeOut;
};

void PrintTo(const FontRow& row, std::ostream* os)
{
    *os << row.testName;
}

class FontFromSpec : public ::testing::TestWithParam<FontRow> {};

TEST_P(FontFromSpec, CarriesEveryAttribute)
{
    const FontRow& row = GetParam();
    const QFont font = MakeQFont(row.fontSpec);
    EXPECT_EQ(font.family(), QString::fromStdString(row.fontSpec.name));
    EXPECT_EQ(font.pointSize(),
              row.pointSize == kDefaultSize ? QFont().pointSize() : row.pointSize);
    EXPECT_EQ(font.weight(), row.weight);
    EXPECT_EQ(font.italic(), row.italic);
    EXPECT_EQ(font.underline(), row.underline);
    EXPECT_EQ(font.strikeOut(), row.strikeOut);
}

FontSpec Font(int size, int bold, int italic, int underline, int strikeout,
              const char* name = "宋体")
{
    FontSpec fontSpec;
    fontSpec.size = size;
    fontSpec.bold = bold;
    fontSpec.italic = italic;
    fontSpec.underline = underline;
    fontSpec.strikeout = strikeout;
    fontSpec.name = name;
    return fontSpec;
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, FontFromSpec,
    ::testing::Values(
        FontRow{"Plain", Font(9, 0, 0, 0, 0), 9, 400, false, false, false},
        FontRow{"Bold", Font(10, 1, 0, 0, 0), 10, 700, false, false, false},
        FontRow{"BoldFlagAnyNonZero", Font(10, 700, 0, 0, 0), 10, 700, false, false, false},
        FontRow{"Italic", Font(11, 0, 1, 0, 0, "楷体"), 11, 400, true, false, false},
        FontRow{"UnderlineStrikeout", Font(8, 0, 0, 1, 1, "黑体"), 8, 400, false, true, true},
        // A size of zero (a record never confirmed) keeps the default size
        // rather than asking Qt for an impossible one.
        FontRow{"ZeroSizeKeepsDefault", Font(0, 0, 0, 0, 0), kDefaultSize, 400, false, false,
                false}),
    [](const ::testing::TestParamInfo<FontRow>& info) { return std::string(info.param.testName); });

} // namespace
} // namespace quillet
