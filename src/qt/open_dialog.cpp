#include "qt/open_dialog.h"

#include <QFile>
#include <QFileInfo>

#include "window/texts.h"

namespace scourvane::qt {

std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* owner) {
    auto dialog = std::make_unique<QFileDialog>(owner, QString::fromUtf8(window::kOpenDialogTitle));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt reads the patterns from the last parentheses; the description keeps its own "(vbp)",
    // and the patterns are not repeated after it in the list.
    dialog->setNameFilter(QString::fromUtf8(window::kProjectFilterName) + QStringLiteral(" (") +
                          QString::fromUtf8(window::kProjectFilterPattern)
                              .replace(QLatin1Char(';'), QLatin1Char(' ')) +
                          QStringLiteral(")"));
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    // Qt's own dialog, in Japanese: a desktop's dialog would speak the user's language.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    return dialog;
}

std::optional<QString> askForProject(QWidget* owner, const QString& startFolder) {
    auto dialog = makeOpenDialog(owner);
    if (!startFolder.isEmpty()) dialog->setDirectory(startFolder);
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return chosen.front();
}

std::optional<QString> askForFolder(QWidget* owner, const QString& startFolder) {
    QFileDialog dialog(owner, QString::fromUtf8(window::kFolderDialogTitle));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!startFolder.isEmpty()) dialog.setDirectory(startFolder);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return chosen.front();
}

std::optional<QString> askForPatchFile(QWidget* owner, const QString& suggested) {
    QFileDialog dialog(owner, QString::fromUtf8(window::kPatchDialogTitle));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(window::kPatchFilterName) + QStringLiteral(" (") +
                         QString::fromUtf8(window::kPatchFilterPattern) + QStringLiteral(")"));
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setDefaultSuffix(QStringLiteral("patch"));
    const QFileInfo offered(suggested);
    dialog.setDirectory(offered.absolutePath());
    dialog.selectFile(offered.fileName());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return chosen.front();
}

QString fromPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::filesystem::path toPath(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    return std::filesystem::path(
        std::string(native.constData(), static_cast<std::size_t>(native.size())));
}

}  // namespace scourvane::qt
