#include "support/recording_window.h"

namespace scourvane::testing {

void RecordingWindow::setStatus(const std::string& text) {
    status = text;
    events.push_back({"status", text});
}

void RecordingWindow::setCounterLabel(CounterId id, const std::string& text) {
    labels[indexOf(id)] = text;
    events.push_back({"counter", text, indexOf(id)});
}

void RecordingWindow::setProjectLabel(const std::string& text) {
    projectLabel = text;
    events.push_back({"project", text});
}

void RecordingWindow::setModules(const std::vector<std::string>& rows) {
    modules = rows;
    std::string joined;
    for (const auto& r : rows) joined += r + "\n";
    events.push_back({"modules", joined});
}

void RecordingWindow::selectModule(int row) {
    selected = row;
    events.push_back({"select", std::to_string(row)});
}

void RecordingWindow::setProgress(int value) {
    progress = value;
    events.push_back({"progress", std::to_string(value)});
}

void RecordingWindow::setBusy(bool b) {
    busy = b;
    events.push_back({"busy", b ? "1" : "0"});
}

void RecordingWindow::setRunEnabled(bool enabled) {
    runEnabled = enabled;
    events.push_back({"run", enabled ? "1" : "0"});
}

void RecordingWindow::showError(int number, const std::string& description) {
    errors.push_back(errorBoxText(number, description));
    events.push_back({"error", description, number});
}

bool RecordingWindow::yield() {
    ++yields;
    return onYield ? onYield() : true;
}

std::vector<std::string> RecordingWindow::statuses() const {
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.kind == "status") out.push_back(e.text);
    return out;
}

std::vector<int> RecordingWindow::errorNumbers() const {
    std::vector<int> n;
    for (const Event& e : events)
        if (e.kind == "error") n.push_back(e.id);
    return n;
}

}  // namespace scourvane::testing
