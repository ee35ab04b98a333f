#pragma once
// Qt's own texts in Japanese: the labels, buttons, tips and columns of the open dialog and the
// buttons of the message boxes, whatever the user's locale.
class QCoreApplication;

namespace scourvane::qt {

// Installs Qt's Japanese catalogue (qtbase_ja.qm in Qt's translations folder) on `app`, and makes
// Japanese the default locale, so that the dialog names the kinds of file in Japanese too (its
// dates and sizes follow the system's locale). False when the catalogue is not installed: the
// program runs on, with Qt's texts in English.
bool useJapaneseQtTexts(QCoreApplication& app);

}  // namespace scourvane::qt
