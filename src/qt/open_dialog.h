#pragma once
// The open dialog of the project file: title "ﾌｧｲﾙを開く", one filter, one existing file; Qt's
// own dialog, never the desktop's, so that it speaks Japanese like the window.
#include <QFileDialog>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace scourvane::qt {

// Asks for a project file; nullopt when the user cancels.
using OpenDialog = std::function<std::optional<QString>(QWidget* owner)>;

// The dialog as it is shown, configured but not yet run.
std::unique_ptr<QFileDialog> makeOpenDialog(QWidget* owner);
// Shows the dialog of makeOpenDialog, in `startFolder` when it is given, and returns the chosen
// file.
std::optional<QString> askForProject(QWidget* owner, const QString& startFolder = {});

// Asks where to save a patch, offering `suggested`; nullopt when the user cancels.
using PatchDialog = std::function<std::optional<QString>(QWidget* owner, const QString& suggested)>;
std::optional<QString> askForPatchFile(QWidget* owner, const QString& suggested);
// The folder dialog: a folder whose projects are run together, or nullopt.
using FolderDialog = std::function<std::optional<QString>(QWidget* owner, const QString& start)>;
std::optional<QString> askForFolder(QWidget* owner, const QString& startFolder);

// A path as Qt names it (from the platform's 8-bit file-name form).
QString fromPath(const std::filesystem::path& path);

// A path from a dialog as the file system names it (the platform's 8-bit file-name form).
std::filesystem::path toPath(const QString& path);

}  // namespace scourvane::qt
