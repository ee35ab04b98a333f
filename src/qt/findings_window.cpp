#include "qt/findings_window.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBlock>
#include <QVBoxLayout>

#include "qt/artwork.h"
#include "report/report_data.h"
#include "window/presenter.h"
#include "window/texts.h"

namespace scourvane::qt {

namespace {

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A fixed-width font that has Japanese: the Gothic faces in the order the window asks for
// them, else the system's fixed font.
QFont codeFont() {
    const QStringList families = QFontDatabase::families();
    for (const char* face : {"ＭＳ ゴシック", "MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP",
                             "Noto Sans CJK JP"}) {
        if (families.contains(QString::fromUtf8(face))) {
            QFont f(QString::fromUtf8(face));
            f.setStyleHint(QFont::Monospace);
            return f;
        }
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

}  // namespace

FindingsWindow::FindingsWindow(window::Presenter& presenter, QWidget* parent)
    : QWidget(parent, Qt::Window), presenter_(presenter) {
    setWindowTitle(fromUtf8(window::kReviewTitle));
    setObjectName(QStringLiteral("FindingsWindow"));
    setFont(controlFont());
    resize(760, 520);

    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("TxtFilter"));
    filter_->setClearButtonEnabled(true);
    kinds_ = new QComboBox(this);
    kinds_->setObjectName(QStringLiteral("CboKinds"));
    kinds_->addItem(fromUtf8(window::kReviewAllKinds));
    for (int r = 0; r < kRuleCount; ++r)
        kinds_->addItem(fromUtf8(report::ruleText(static_cast<Rule>(r)).japanese));
    keep_ = new QPushButton(fromUtf8(window::kReviewKeep), this);
    keep_->setObjectName(QStringLiteral("ComKeep"));
    undo_ = new QPushButton(fromUtf8(window::kReviewUndo), this);
    undo_->setObjectName(QStringLiteral("ComUndo"));

    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("ListFindings"));
    table_->setColumnCount(window::kFindingColumns + 1);
    QStringList header;
    for (const char* c : window::kReviewColumns) header << fromUtf8(c);
    header << fromUtf8(window::kReviewKept);
    table_->setHorizontalHeaderLabels(header);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionsClickable(true);
    table_->setSortingEnabled(false);  // the presenter's list sorts

    code_ = new QPlainTextEdit(this);
    code_->setObjectName(QStringLiteral("TxtCode"));
    code_->setReadOnly(true);
    code_->setLineWrapMode(QPlainTextEdit::NoWrap);
    code_->setFont(codeFont());

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(fromUtf8(window::kReviewFilter), this));
    top->addWidget(filter_, 1);
    top->addWidget(kinds_);
    top->addWidget(keep_);
    top->addWidget(undo_);
    // What the run said besides its findings: keep entries that name nothing, shared modules.
    warnings_ = new QLabel(this);
    warnings_->setObjectName(QStringLiteral("LblWarnings"));
    warnings_->setWordWrap(true);
    warnings_->setStyleSheet(QStringLiteral("color: #8a4b00"));
    warnings_->hide();
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(code_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(warnings_);
    layout->addWidget(split, 1);

    // Escape closes the window, as it closes a dialog; the list stays for the next opening.
    auto* close = new QShortcut(QKeySequence::Cancel, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    connect(filter_, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    connect(kinds_, &QComboBox::currentIndexChanged, this, [this] { applyFilter(); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (column >= window::kFindingColumns) return;
        presenter_.findings().sortBy(static_cast<window::FindingColumn>(column));
        reload();
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { showCode(); });
    connect(keep_, &QPushButton::clicked, this, [this] { keepSelected(); });
    connect(undo_, &QPushButton::clicked, this, [this] {
        presenter_.undoKeep();
        reload();
    });
    reload();
}

void FindingsWindow::applyFilter() {
    const int kind = kinds_->currentIndex();
    presenter_.findings().setFilter(filter_->text().toStdString(),
                                    kind > 0 ? std::optional<Rule>(static_cast<Rule>(kind - 1))
                                             : std::nullopt);
    reload();
}

void FindingsWindow::reload() {
    const std::vector<std::size_t> selected = selectedRows();
    const window::FindingsList& list = presenter_.findings();
    QSignalBlocker block(table_);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(list.shown().size()));
    for (std::size_t i = 0; i < list.shown().size(); ++i) {
        const window::FindingRow& r = list.rows()[list.shown()[i]];
        for (int c = 0; c < window::kFindingColumns; ++c) {
            auto* item = new QTableWidgetItem(fromUtf8(r.cell(static_cast<window::FindingColumn>(c))));
            item->setData(Qt::UserRole, static_cast<qulonglong>(list.shown()[i]));
            if (c == static_cast<int>(window::FindingColumn::Line) ||
                c == static_cast<int>(window::FindingColumn::Run))
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(static_cast<int>(i), c, item);
        }
        table_->setItem(static_cast<int>(i), window::kFindingColumns,
                        new QTableWidgetItem(r.kept ? QStringLiteral("✔") : QString()));
        if (std::find(selected.begin(), selected.end(), list.shown()[i]) != selected.end())
            table_->selectRow(static_cast<int>(i));
    }
    table_->resizeColumnsToContents();
    undo_->setEnabled(presenter_.canUndoKeep());
    QString said;
    for (const std::string& w : presenter_.runWarnings())
        said += (said.isEmpty() ? QString() : QStringLiteral("\n")) + fromUtf8(w);
    warnings_->setText(said);
    warnings_->setVisible(!said.isEmpty());
    block.unblock();
    showCode();
}

std::vector<std::size_t> FindingsWindow::selectedRows() const {
    std::vector<std::size_t> out;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        const QTableWidgetItem* item = table_->item(index.row(), 0);
        if (item) out.push_back(item->data(Qt::UserRole).toULongLong());
    }
    return out;
}

void FindingsWindow::showCode() {
    const std::vector<std::size_t> rows = selectedRows();
    keep_->setEnabled(!rows.empty());
    code_->clear();
    if (rows.empty()) return;
    const std::vector<window::CodeLine> lines = presenter_.findingCode(rows.front());
    QString text;
    for (const window::CodeLine& l : lines)
        text += QStringLiteral("%1  %2\n").arg(l.number, 6).arg(fromUtf8(l.text));
    code_->setPlainText(text);
    // The finding's own lines on a yellow ground, the marked ones in grey.
    QList<QTextEdit::ExtraSelection> marks;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (!lines[i].finding && !lines[i].marked) continue;
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(code_->document()->findBlockByNumber(i));
        s.format.setProperty(QTextFormat::FullWidthSelection, true);
        if (lines[i].finding) s.format.setBackground(QColor(255, 244, 180));
        if (lines[i].marked) s.format.setForeground(QColor(110, 110, 110));
        marks.append(s);
    }
    code_->setExtraSelections(marks);
}

void FindingsWindow::keepSelected() {
    presenter_.keepFindings(selectedRows());
    reload();
}

}  // namespace scourvane::qt
