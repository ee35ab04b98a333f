#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "ui/artwork.h"
#include "ui/layout.h"
#include "ui/picture_widgets.h"

namespace scourvane::ui {

namespace {

const QColor kWindowBackground(128, 128, 128);
const QColor kButtonBackground(192, 192, 255);
const QColor kDimBackground(255, 224, 192);
const QColor kPrivateBackground(255, 255, 192);
const QColor kPublicBackground(192, 255, 255);
// Below this a text would be no easier to read than cut.
constexpr int kSmallestFontPixels = 8;

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void setBackground(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(w->backgroundRole(), colour);
    pal.setColor(QPalette::Button, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QPushButton* button(QWidget* parent, const char* name, QRect geometry, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    setBackground(b, kButtonBackground);
    b->setCursor(handCursor());
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

enum class Look { Opaque, Transparent };

QLabel* label(QWidget* parent, const char* name, QRect geometry, const char* caption,
              Qt::Alignment alignment, Look look) {
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setAlignment(alignment | Qt::AlignTop);
    // A label with no colour of its own has the system's face colour, as the toolkit's
    // labels had; transparent ones show the panel through.
    if (look == Look::Opaque) setBackground(l, QApplication::palette().color(QPalette::Button));
    return l;
}

void bordered(QLabel* l) {
    l->setFrameShape(QFrame::Box);
    l->setFrameShadow(QFrame::Plain);
    l->setLineWidth(1);
}

// A label of one line in a box of fixed height centres its line in the box. Where the font's
// line (ascent and descent) is taller than the box, as with faces whose lines are taller than the
// design font's, the font is made smaller until the line fits, so that no glyph loses its foot
// to the box's edge.
void oneLine(QLabel* l) {
    l->setAlignment((l->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    const int room = l->contentsRect().height() - 2 * l->margin();
    QFont font = l->font();
    while (font.pixelSize() > kSmallestFontPixels && QFontMetrics(font).height() > room)
        font.setPixelSize(font.pixelSize() - 1);
    if (font != l->font()) l->setFont(font);
}

// An auto-sized label fits its text; a right-aligned one keeps its right edge where it is. One
// pixel is kept below the line: at twice the scale and more, the tips of descenders ("g", "y",
// the link's underline) reach a device pixel below the font's line.
void fitText(QLabel* l) {
    const int right = l->geometry().right();
    // Polished first: a label polished later keeps a size hint without the margin.
    l->ensurePolished();
    l->setContentsMargins(0, 0, 0, 1);
    l->adjustSize();
    if (l->alignment() & Qt::AlignRight) l->move(right - l->width() + 1, l->y());
}

QLabel* counterLabel(QWidget* parent, const char* name, QRect geometry, const QColor& colour) {
    QLabel* l = label(parent, name, geometry, "", Qt::AlignRight, Look::Opaque);
    setBackground(l, colour);
    bordered(l);
    oneLine(l);
    return l;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      openDialog_(askForProject),
      urlOpener_([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      bridge_([this] {
          QMetaObject::invokeMethod(this, &MainWindow::applyPending, Qt::QueuedConnection);
      }),
      engine_(bridge_) {
    buildControls();
    startUp();

    workerContext_ = new QObject;
    workerContext_->moveToThread(&worker_);
    connect(&worker_, &QThread::finished, workerContext_, &QObject::deleteLater);
    worker_.setObjectName(QStringLiteral("scourvane-engine"));
    worker_.start();
}

MainWindow::~MainWindow() {
    bridge_.close();
    worker_.quit();
    worker_.wait();
    if (busyShown_) QApplication::restoreOverrideCursor();
}

void MainWindow::setRules(RuleSet rules) {
    engine_.setRules(rules);
    setWindowTitle(rules == RuleSet::Safe
                       ? QString::fromLatin1(kCaption) + QString::fromUtf8(" (安全ルール)")
                       : QString::fromLatin1(kCaption));
}

void MainWindow::buildControls() {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(applicationIcon());
    setFont(controlFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowBackground);
    setPalette(pal);
    setAutoFillBackground(true);

    // Hidden holders of the pictures the visible controls take theirs from.
    picMbl_ = new QLabel(this);
    picMbl_->setObjectName(QStringLiteral("Pic_Mbl"));
    picMbl_->setGeometry(572, 212, 579, 21);
    picMbl_->setPixmap(QPixmap::fromImage(tilePicture()));
    picMbl_->hide();

    auto* pressedPicture = new QLabel(this);
    pressedPicture->setObjectName(QStringLiteral("imgImages_1"));
    pressedPicture->setGeometry(568, 156, 16, 15);
    pressedPicture->setPixmap(exitPressedPicture());
    pressedPicture->hide();
    auto* restPicture = new QLabel(this);
    restPicture->setObjectName(QStringLiteral("imgImages_0"));
    restPicture->setGeometry(568, 176, 15, 15);
    restPicture->setPixmap(exitPicture());
    restPicture->hide();

    // Stacking from the bottom: the title strip, then what lies on it, then the panel, which
    // covers the strip's lowest two rows.
    image1_ = new TitleStrip(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(0, 0, 397, kTitleStripHeight);
    image1_->setPixmap(titleStripPicture());
    image1_->setScaledContents(true);

    auto* title = new QLabel(QString::fromLatin1(kCaption), this);
    title->setObjectName(QStringLiteral("lbl_1"));
    title->move(8, 4);
    QPalette white = title->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(white);
    fitText(title);

    imgExit_ = new ExitImage(this, restPicture->pixmap(), pressedPicture->pixmap());
    imgExit_->setObjectName(QStringLiteral("ImgExit"));
    imgExit_->setGeometry(376, 4, 15, 15);
    imgExit_->setCursor(handCursor());
    connect(imgExit_, &ExitImage::released, this, &QWidget::close);

    picB_ = new PicturePanel(this, kWindowBackground);
    picB_->setObjectName(QStringLiteral("Pic_B"));
    picB_->setGeometry(0, 20, 397, 337);
    QWidget* panel = picB_;

    // The panel's controls, in design order.
    comExit_ = button(panel, "ComExit", {208, 272, 176, 26}, "終了");
    connect(comExit_, &QPushButton::clicked, this, &QWidget::close);

    comDetect_ = button(panel, "ComDetectUnusedDeclarations", {208, 8, 176, 26}, "ﾁｪｯｸの開始");
    comDetect_->setEnabled(false);
    connect(comDetect_, &QPushButton::clicked, this, &MainWindow::detect);

    listModules_ = new QListWidget(panel);
    listModules_->setObjectName(QStringLiteral("ListModules"));
    listModules_->setGeometry(8, 64, 194, 199);
    // The engine keeps the rows in their case-insensitive order; the list must not re-sort.
    listModules_->setSortingEnabled(false);
    listModules_->setSelectionMode(QAbstractItemView::SingleSelection);

    comOpen_ = button(panel, "ComOpenVBP", {8, 8, 194, 26}, "VBPﾌｧｲﾙの読み込み");
    connect(comOpen_, &QPushButton::clicked, this, &MainWindow::openProject);

    progressBar_ = new QProgressBar(panel);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setGeometry(208, 152, 177, 14);
    progressBar_->setTextVisible(false);
    progressBar_->setValue(0);

    lblUrl_ = new LinkLabel(panel);
    lblUrl_->setObjectName(QStringLiteral("lbl_URL"));
    lblUrl_->setText(QString::fromLatin1(kLinkText));
    QFont underlined = controlFont();
    underlined.setUnderline(true);
    lblUrl_->setFont(underlined);
    lblUrl_->move(8, 304);
    fitText(lblUrl_);
    lblUrl_->setCursor(handCursor());
    connect(lblUrl_, &LinkLabel::clicked, this, &MainWindow::openLink);

    QLabel* credit =
        label(panel, "lbl_7", {8, 272, 0, 0}, kCreditLine, Qt::AlignLeft, Look::Opaque);
    fitText(credit);

    oneLine(label(panel, "Label3", {320, 72, 39, 13}, "未使用", Qt::AlignHCenter, Look::Opaque));
    oneLine(label(panel, "Label2", {268, 72, 42, 13}, "宣言", Qt::AlignHCenter, Look::Opaque));
    QLabel* resultTitle =
        label(panel, "Label1", {208, 40, 176, 18}, "結 果", Qt::AlignHCenter, Look::Opaque);
    bordered(resultTitle);
    oneLine(resultTitle);

    auto at = [](CounterId id) { return static_cast<std::size_t>(indexOf(id)); };
    counterLabels_[at(CounterId::UnusedPublic)] =
        counterLabel(panel, "LabUnusedPublic", {320, 128, 42, 16}, kPublicBackground);
    counterLabels_[at(CounterId::Public)] =
        counterLabel(panel, "LabPublic", {268, 128, 42, 16}, kPublicBackground);
    // The row titles fit their text and keep their right edges at 262, just left of the counter
    // column at 268, whatever the font (with the design font they start at 228, 222 and 241).
    fitText(
        label(panel, "LabDec_4", {228, 128, 34, 13}, "Public", Qt::AlignRight, Look::Transparent));
    counterLabels_[at(CounterId::UnusedPrivate)] =
        counterLabel(panel, "LabUnusedPrivate", {320, 108, 42, 16}, kPrivateBackground);
    counterLabels_[at(CounterId::Private)] =
        counterLabel(panel, "LabPrivate", {268, 108, 42, 16}, kPrivateBackground);
    fitText(
        label(panel, "LabDec_2", {222, 108, 40, 13}, "Private", Qt::AlignRight, Look::Transparent));
    counterLabels_[at(CounterId::UnusedDim)] =
        counterLabel(panel, "LabUnusedDim", {320, 88, 42, 16}, kDimBackground);
    counterLabels_[at(CounterId::Dim)] =
        counterLabel(panel, "LabDim", {268, 88, 42, 16}, kDimBackground);

    labInfo_ = label(panel, "LabInfo", {208, 172, 176, 92}, "", Qt::AlignLeft, Look::Opaque);
    QPalette black = labInfo_->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    labInfo_->setPalette(black);
    labInfo_->setWordWrap(true);
    bordered(labInfo_);

    fitText(label(panel, "LabDec_0", {241, 88, 21, 13}, "Dim", Qt::AlignRight, Look::Transparent));

    labModules_ = label(panel, "LabModules", {8, 40, 193, 18}, "", Qt::AlignLeft, Look::Opaque);
    bordered(labModules_);
    oneLine(labModules_);

    // Buttons are drawn over labels, as windowed controls are over windowless ones.
    for (QPushButton* b : {comExit_, comDetect_, comOpen_}) b->raise();
}

void MainWindow::startUp() {
    setFixedSize(windowSizeForPanel(picB_->size()));
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect area = s->geometry();
        move(area.topLeft() + centredTopLeft(area.size(), size()));
    }
    const QImage tile = picMbl_->pixmap().toImage();
    picB_->tile(tile, tileOrigins(tile.size(), picB_->size()));
    progressBar_->setMaximum(100);
}

void MainWindow::setYieldHook(std::function<void()> hook) {
    // Set on the worker, so that it is never read and written at once.
    QMetaObject::invokeMethod(
        workerContext_,
        [this, hook = std::move(hook)]() mutable { bridge_.setYieldHook(std::move(hook)); },
        Qt::QueuedConnection);
}

void MainWindow::openProject() {
    if (commandUnderWay_ || bridge_.closing()) return;
    labInfo_->setText(QString());
    progressBar_->setValue(0);
    const std::optional<QString> chosen = openDialog_(this);
    if (!chosen || bridge_.closing() || commandUnderWay_) return;
    startCommand([this, path = toPath(*chosen)] { engine_.intake(path); });
}

void MainWindow::detect() {
    if (commandUnderWay_ || bridge_.closing()) return;
    startCommand([this] { engine_.run(); });
}

void MainWindow::openLink() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    urlOpener_(QUrl::fromUserInput(lblUrl_->text()));
    QApplication::restoreOverrideCursor();
}

void MainWindow::startCommand(std::function<void()> command) {
    commandUnderWay_ = true;
    QMetaObject::invokeMethod(
        workerContext_,
        [this, command = std::move(command)] {
            if (!bridge_.closing()) {
                bridge_.beginCommand();
                command();
            }
            QMetaObject::invokeMethod(this, &MainWindow::finishCommand, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void MainWindow::finishCommand() {
    applyPending();
    commandUnderWay_ = false;
    emit commandFinished();
}

void MainWindow::applyPending() {
    DisplayUpdate u = bridge_.take();
    if (u.modules) showModules(*u.modules);
    if (u.selected) selectModule(*u.selected);
    if (u.projectLabel) labModules_->setText(fromUtf8(*u.projectLabel));
    if (u.status) labInfo_->setText(fromUtf8(*u.status));
    for (std::size_t i = 0; i < u.counters.size(); ++i)
        if (u.counters[i]) counterLabels_[i]->setText(fromUtf8(*u.counters[i]));
    if (u.progress) progressBar_->setValue(std::clamp(*u.progress, 0, progressBar_->maximum()));
    if (u.runEnabled) comDetect_->setEnabled(*u.runEnabled);
    if (u.busy) showBusy(*u.busy);
    if (u.error) {
        if (!bridge_.closing()) showErrorBox(*u.error);
        bridge_.errorAnswered();
    }
}

void MainWindow::showModules(const std::vector<std::string>& rows) {
    const int kept = listModules_->currentRow();
    QStringList items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const std::string& row : rows) items.push_back(fromUtf8(row));
    listModules_->clear();
    listModules_->addItems(items);
    // Rows renamed in place keep the selection; a new list sends its own (-1) with it.
    if (kept >= 0 && kept < listModules_->count()) listModules_->setCurrentRow(kept);
}

void MainWindow::selectModule(int row) {
    if (row < 0 || row >= listModules_->count()) {
        listModules_->clearSelection();
        listModules_->setCurrentRow(-1);
        return;
    }
    listModules_->setCurrentRow(row);
    listModules_->scrollToItem(listModules_->item(row));
}

void MainWindow::showBusy(bool busy) {
    if (busy == busyShown_) return;
    busyShown_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::showErrorBox(const ErrorBox& error) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kCaption), fromUtf8(error.text()),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ErrorBox"));
    errorBox_ = &box;
    box.exec();
    errorBox_ = nullptr;
}

bool MainWindow::stopWorker(int ms) {
    bridge_.close();
    worker_.quit();
    return worker_.wait(QDeadlineTimer(ms));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The command under way unwinds at its next yield; files are written whole or not at all.
    bridge_.close();
    if (errorBox_) errorBox_->done(QMessageBox::Ok);
    showBusy(false);
    event->accept();
}

}  // namespace scourvane::ui
