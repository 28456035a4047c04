#include "printing/fonts.h"

#include <QFontInfo>

namespace quillet {

QStringList FontSubstitutesFor(const QString& designedName)
{
    if (designedName == QStringLiteral("宋体"))
        return {QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC")};
    if (designedName == QStringLiteral("楷体"))
        return {QStringLiteral("AR PL UKai CN")};
    if (designedName == QStringLiteral("黑体"))
        return {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")};
    return {};
}

void InstallFontSubstitutions()
{
    // insertSubstitutions skips names already in the list, so a second call
    // (tests, a restarted window) leaves the order as it is.
    for (const QString& name :
         {QStringLiteral("宋体"), QStringLiteral("楷体"), QStringLiteral("黑体")})
        QFont::insertSubstitutions(name, FontSubstitutesFor(name));
}

QFont MakeQFont(const FontSpec& fontSpec)
{
    // Starting from the application font keeps its size when the record has
    // none; QFont(family) would pick 12 pt instead.
    QFont font;
    font.setFamily(QString::fromStdString(fontSpec.name));
    if (fontSpec.size > 0)
        font.setPointSize(fontSpec.size);
    font.setWeight(fontSpec.bold != 0 ? QFont::Bold : QFont::Normal);
    font.setItalic(fontSpec.italic != 0);
    font.setUnderline(fontSpec.underline != 0);
    font.setStrikeOut(fontSpec.strikeout != 0);
    return font;
}

QString ResolvedFontFamily(const QFont& font)
{
    return QFontInfo(font).family();
}

QString ResolvedFontFamily(const QString& familyName)
{
    return ResolvedFontFamily(QFont(familyName));
}

} // namespace quillet
