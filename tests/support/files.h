#pragma once
// Temporary folders, file helpers and code-page literals for tests.
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace scourvane::testing {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with its content at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

std::string readFile(const fs::path& p);
// Writes bytes as they are, making parent folders.
void writeFile(const fs::path& p, std::string_view content);

// UTF-8 source text in code page 932 (the test fails if it has no CP932 form).
std::string sjis(std::string_view utf8);

// Every regular file below root, relative path -> content.
std::map<std::string, std::string> snapshot(const fs::path& root);

// Copies a folder tree.
void copyTree(const fs::path& from, const fs::path& to);

// The repository's folder (for fixtures and examples).
fs::path sourceDir();

// A path in single quotes, for a shell command.
std::string quoted(const fs::path& p);

// A shell command's exit status (-1 when it did not exit), stdout, and stderr (kept in a file
// of `tmp` meanwhile).
struct CommandResult {
    int status;
    std::string out, err;
};
CommandResult runCommand(const std::string& command, const TempDir& tmp);

}  // namespace scourvane::testing
