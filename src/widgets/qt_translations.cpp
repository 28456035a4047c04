#include "widgets/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quillet {
namespace {

// The font dialog lists a family's styles by the names its files give
// them ("Bold", "Oblique") but looks the current one up by Qt's translated
// name ("粗体"): translated, the dialog starts on the wrong style and hands
// back another one.  Style names therefore stay as the fonts name them.
class QtTranslator final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        if (qstrcmp(context, "QFontDatabase") == 0)
            return {};
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }
};

} // namespace

bool InstallQtTranslations()
{
    QCoreApplication* application = QCoreApplication::instance();
    const QString name = QStringLiteral("qtbase_zh_CN");
    if (application->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly))
        return true;
    auto* translator = new QtTranslator(application); // lives as long as the application
    translator->setObjectName(name);
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace quillet
