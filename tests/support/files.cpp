#include "support/files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "text/codepage.h"
#include "text/convert.h"

namespace scourvane::testing {

TempDir::TempDir() {
    std::random_device rd;
    for (;;) {
        path_ = fs::temp_directory_path() / ("scourvane-test-" + std::to_string(rd()));
        if (fs::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only files made by tests must not stop the removal.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << p;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& p, std::string_view content) {
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << p;
}

std::string sjis(std::string_view utf8) {
    auto bytes = text::fromUtf8(utf8, text::CodePage::get(932));
    EXPECT_TRUE(bytes.has_value()) << "no CP932 form: " << utf8;
    return bytes.value_or(std::string());
}

std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).generic_string()] = readFile(entry.path());
    return files;
}

void copyTree(const fs::path& from, const fs::path& to) {
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

fs::path sourceDir() {
    return fs::path(SCOURVANE_SOURCE_DIR);
}

std::string quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

CommandResult runCommand(const std::string& command, const TempDir& tmp) {
    const fs::path errPath = tmp / "stderr.txt";
    CommandResult r{};
    FILE* p = popen((command + " 2>" + quoted(errPath)).c_str(), "r");
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = readFile(errPath);
    return r;
}

}  // namespace scourvane::testing
