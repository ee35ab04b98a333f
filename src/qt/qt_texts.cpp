#include "qt/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace scourvane::qt {

namespace {

// Qt's catalogue. Its Japanese of this Qt version lacks the kinds of file that the dialog's type
// column asks for under QAbstractFileIconProvider ("Folder", "Drive"); it has the same words under
// QFileDialog, where Qt 5 asked for them.
class QtCatalogue : public QTranslator {
  public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        QString found = QTranslator::translate(context, source, disambiguation, n);
        if (found.isEmpty() && qstrcmp(context, "QAbstractFileIconProvider") == 0)
            found = QTranslator::translate("QFileDialog", source, nullptr, n);
        return found;
    }
};

}  // namespace

bool useJapaneseQtTexts(QCoreApplication& app) {
    // The names of the other kinds of file come from the MIME database, in the default
    // locale's language.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // Named outright, not looked up from the user's languages: the program speaks Japanese.
    auto* catalogue = new QtCatalogue(&app);
    if (!catalogue->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(catalogue)) {
        delete catalogue;
        return false;
    }
    return true;
}

}  // namespace scourvane::qt
