#pragma once
// A run-time error as the error box shows it: a number known from Visual Basic and a Japanese
// description (UTF-8) that names the file concerned.
#include <stdexcept>
#include <string>

#include "base/window.h"

namespace scourvane {

class RunError : public std::runtime_error {
  public:
    RunError(int number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}
    int number() const { return number_; }
    const std::string& description() const { return description_; }
    // "Error N (description)", the text of the error box.
    std::string boxText() const { return errorBoxText(number_, description_); }

  private:
    int number_;
    std::string description_;
};

// The numbers used.
namespace err {
inline constexpr int kOutOfMemory = 7;
inline constexpr int kOverflow = 6;
inline constexpr int kInternal = 51;
inline constexpr int kBadFileName = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kDiskFull = 61;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kBadFileFormat = 321;
}  // namespace err

// Overflow of a counter or an amount: "オーバーフローしました。" plus what overflowed.
RunError overflowError(const std::string& what);

// Thrown out of a yield when the program is closing: it unwinds the intake or the run at once.
// It is no error and shows no box.
struct Closing {};

}  // namespace scourvane
