#pragma once
// The program's fonts are named as they were designed ("宋体", "楷体", "黑体").
// Those faces do not exist here, so the names are mapped onto installed CJK
// families once at start-up; every QFont built afterwards finds them.

#include "widgets/font_spec.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace quillet {

// The installed families a designed name stands for, best first.  TrueType
// faces lead because Qt's PDF output loses glyphs of the CFF-based Noto CJK
// faces (digits vanish, 页 comes back as a radical).
QStringList FontSubstitutesFor(const QString& designedName);

// Maps "宋体", "楷体" and "黑体" onto their substitutes.  Needs no running
// application; calling it again changes nothing.
void InstallFontSubstitutions();

// The QFont for a settings font: family = name, size in points (left at the
// default when not positive), weight 700 for bold, italic, underline and
// strikeout.  The angle is left to whoever draws the text.
QFont MakeQFont(const FontSpec& fontSpec);

// The family a font really resolves to after substitution and fallback.
// Needs a QGuiApplication.
QString ResolvedFontFamily(const QFont& font);
QString ResolvedFontFamily(const QString& familyName);

} // namespace quillet
