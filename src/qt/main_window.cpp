#include "qt/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QMimeData>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <map>

#include "qt/artwork.h"
#include "qt/findings_window.h"
#include "qt/picture_widgets.h"
#include "window/geometry.h"
#include "window/texts.h"

namespace scourvane::qt {

namespace {

using window::ControlId;

QColor colour(window::Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QRect qrect(const window::Rect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const window::Control& spec(ControlId id) {
    return window::control(id);
}

void setBackground(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(w->backgroundRole(), colour);
    pal.setColor(QPalette::Button, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QPushButton* button(QWidget* parent, ControlId id) {
    const window::Control& c = spec(id);
    auto* b = new QPushButton(QString::fromUtf8(c.caption), parent);
    b->setObjectName(QString::fromLatin1(c.name));
    b->setGeometry(qrect(c.rect));
    setBackground(b, colour(c.background));
    b->setCursor(handCursor());
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

Qt::Alignment alignment(window::Align a) {
    switch (a) {
        case window::Align::Centre:
            return Qt::AlignHCenter;
        case window::Align::Right:
            return Qt::AlignRight;
        case window::Align::Left:
            break;
    }
    return Qt::AlignLeft;
}

// A label of one line in a box of fixed height centres its line in the box. Where the font's
// line (ascent and descent) is taller than the box, as with faces whose lines are taller than the
// design font's, the font is made smaller until the line fits, so that no glyph loses its foot
// to the box's edge.
void oneLine(QLabel* l) {
    l->setAlignment((l->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    const int room = l->contentsRect().height() - 2 * l->margin();
    QFont font = l->font();
    font.setPixelSize(window::fittingFontPixels(
        font.pixelSize(), window::kSmallestFontPixels, room, [&font](int pixels) {
            QFont tried = font;
            tried.setPixelSize(pixels);
            return QFontMetrics(tried).height();
        }));
    if (font != l->font()) l->setFont(font);
}

// An auto-sized label fits its text; a right-aligned one keeps its right edge where it is. One
// pixel is kept below the line: at twice the scale and more, the tips of descenders ("g", "y",
// the link's underline) reach a device pixel below the font's line.
void fitText(QLabel* l) {
    const int right = l->geometry().right() + 1;
    // Polished first: a label polished later keeps a size hint without the margin.
    l->ensurePolished();
    l->setContentsMargins(0, 0, 0, 1);
    l->adjustSize();
    if (l->alignment() & Qt::AlignRight) l->move(window::leftForRightEdge(right, l->width()), l->y());
}

// A label as the shared table describes it: place, caption, alignment, fill, border, one line.
QLabel* label(QWidget* parent, ControlId id, QLabel* made = nullptr) {
    const window::Control& c = spec(id);
    QLabel* l = made ? made : new QLabel(parent);
    l->setText(QString::fromUtf8(c.caption));
    l->setObjectName(QString::fromLatin1(c.name));
    QRect place = qrect(c.rect);
    // A row title ends at the grid's row-title edge whatever its design width.
    if (c.sizing == window::Sizing::FitsToRow)
        place.moveLeft(window::kRowTitlesRight - place.width());
    l->setGeometry(place);
    l->setAlignment(alignment(c.align) | Qt::AlignTop);
    // A label with no colour of its own has the system's face colour, as the toolkit's
    // labels had; transparent ones show the panel through.
    if (c.fill == window::Fill::SystemFace)
        setBackground(l, QApplication::palette().color(QPalette::Button));
    else if (c.fill == window::Fill::Colour)
        setBackground(l, colour(c.background));
    if (c.text != window::kBlack || id == ControlId::LabInfo) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, colour(c.text));
        l->setPalette(pal);
    }
    if (c.wordWrap) l->setWordWrap(true);
    if (c.border) {
        l->setFrameShape(QFrame::Box);
        l->setFrameShadow(QFrame::Plain);
        l->setLineWidth(1);
    }
    if (c.oneLine) oneLine(l);
    if (c.sizing != window::Sizing::Fixed) fitText(l);
    return l;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      openDialog_([this](QWidget* owner) { return qt::askForProject(owner, dialogFolder_); }),
      patchDialog_(qt::askForPatchFile),
      folderDialog_(qt::askForFolder),
      urlOpener_([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      presenter_(*this, [this] {
          QMetaObject::invokeMethod(
              this, [this] { presenter_.handlePending(); }, Qt::QueuedConnection);
      }) {
    buildControls();
    connectInput();
    startUp();
}

MainWindow::~MainWindow() {
    presenter_.stopWorker(60000);
    showWaitPointer(false);
}

void MainWindow::buildControls() {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QString::fromUtf8(presenter_.state().title));
    setWindowIcon(applicationIcon());
    setFont(controlFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour(window::kWindowBackground));
    setPalette(pal);
    setAutoFillBackground(true);

    // Hidden holders of the pictures the visible controls take theirs from.
    picMbl_ = new QLabel(this);
    picMbl_->setObjectName(QString::fromLatin1(spec(ControlId::PicMbl).name));
    picMbl_->setGeometry(qrect(spec(ControlId::PicMbl).rect));
    picMbl_->setPixmap(QPixmap::fromImage(tilePicture()));
    picMbl_->hide();

    auto* pressedPicture = new QLabel(this);
    pressedPicture->setObjectName(QString::fromLatin1(spec(ControlId::ImgImages1).name));
    pressedPicture->setGeometry(qrect(spec(ControlId::ImgImages1).rect));
    pressedPicture->setPixmap(exitPressedPicture());
    pressedPicture->hide();
    auto* restPicture = new QLabel(this);
    restPicture->setObjectName(QString::fromLatin1(spec(ControlId::ImgImages0).name));
    restPicture->setGeometry(qrect(spec(ControlId::ImgImages0).rect));
    restPicture->setPixmap(exitPicture());
    restPicture->hide();

    // Stacking from the bottom: the title strip, then what lies on it, then the panel, which
    // covers the strip's lowest two rows.
    image1_ = new TitleStrip(this);
    image1_->setObjectName(QString::fromLatin1(spec(ControlId::Image1).name));
    image1_->setGeometry(qrect(spec(ControlId::Image1).rect));
    image1_->setPixmap(titleStripPicture());
    image1_->setScaledContents(true);

    lbl1_ = label(this, ControlId::Lbl1);

    imgMenu_ = new MenuImage(this);
    imgMenu_->setObjectName(QStringLiteral("ImgMenu"));
    imgMenu_->setGeometry(qrect(window::kMenuImage));
    imgMenu_->setPixmap(menuPicture());
    imgMenu_->setCursor(handCursor());

    imgExit_ = new ExitImage(this, restPicture->pixmap(), pressedPicture->pixmap());
    imgExit_->setObjectName(QString::fromLatin1(spec(ControlId::ImgExit).name));
    imgExit_->setGeometry(qrect(spec(ControlId::ImgExit).rect));
    imgExit_->setCursor(handCursor());

    picB_ = new PicturePanel(this, colour(spec(ControlId::PicB).background));
    picB_->setObjectName(QString::fromLatin1(spec(ControlId::PicB).name));
    picB_->setGeometry(qrect(spec(ControlId::PicB).rect));
    QWidget* panel = picB_;

    // The panel's controls, in design order.
    comExit_ = button(panel, ControlId::ComExit);
    comDetect_ = button(panel, ControlId::ComDetect);
    comDetect_->setEnabled(false);

    listModules_ = new QListWidget(panel);
    listModules_->setObjectName(QString::fromLatin1(spec(ControlId::ListModules).name));
    listModules_->setGeometry(qrect(spec(ControlId::ListModules).rect));
    // The engine keeps the rows in their case-insensitive order; the list must not re-sort.
    listModules_->setSortingEnabled(false);
    listModules_->setSelectionMode(QAbstractItemView::SingleSelection);

    comOpen_ = button(panel, ControlId::ComOpen);

    progressBar_ = new QProgressBar(panel);
    progressBar_->setObjectName(QString::fromLatin1(spec(ControlId::ProgressBar).name));
    progressBar_->setGeometry(qrect(spec(ControlId::ProgressBar).rect));
    progressBar_->setTextVisible(false);
    progressBar_->setValue(0);

    lblUrl_ = new LinkLabel(panel);
    QFont underlined = controlFont();
    underlined.setUnderline(spec(ControlId::LblUrl).underline);
    lblUrl_->setFont(underlined);
    label(panel, ControlId::LblUrl, lblUrl_);
    lblUrl_->setCursor(handCursor());

    for (ControlId id : {ControlId::Lbl7, ControlId::Label3, ControlId::Label2, ControlId::Label1})
        label(panel, id);
    for (ControlId id : {ControlId::LabUnusedPublic, ControlId::LabPublic, ControlId::LabDec4,
                         ControlId::LabUnusedPrivate, ControlId::LabPrivate, ControlId::LabDec2,
                         ControlId::LabUnusedDim, ControlId::LabDim}) {
        QLabel* l = label(panel, id);
        for (int i = 0; i < kCounterCount; ++i)
            if (window::counterControl(i) == id) counterLabels_[static_cast<std::size_t>(i)] = l;
    }
    labInfo_ = label(panel, ControlId::LabInfo);
    labInfo_->installEventFilter(this);
    label(panel, ControlId::LabDec0);
    labModules_ = label(panel, ControlId::LabModules);

    // Buttons are drawn over labels, as windowed controls are over windowless ones.
    for (QPushButton* b : {comExit_, comDetect_, comOpen_}) b->raise();
    // A project file may be dropped anywhere on the window.
    setAcceptDrops(true);
}

void MainWindow::connectInput() {
    using window::MouseButton;
    connect(comOpen_, &QPushButton::clicked, this, [this] { presenter_.openClicked(); });
    connect(comDetect_, &QPushButton::clicked, this, [this] { presenter_.runClicked(); });
    connect(comExit_, &QPushButton::clicked, this, [this] { presenter_.exitClicked(); });
    connect(imgExit_, &ExitImage::pressed, this, [this] { presenter_.exitImagePressed(); });
    connect(imgExit_, &ExitImage::released, this, [this] { presenter_.exitImageReleased(); });
    connect(image1_, &TitleStrip::pressed, this, [this](Qt::MouseButton b, QPoint cursor) {
        const MouseButton button = b == Qt::LeftButton    ? MouseButton::Left
                                   : b == Qt::RightButton ? MouseButton::Right
                                   : b == Qt::MiddleButton ? MouseButton::Middle
                                                           : MouseButton::Other;
        presenter_.titlePressed(button, {cursor.x(), cursor.y()}, {pos().x(), pos().y()});
    });
    connect(image1_, &TitleStrip::moved, this,
            [this](QPoint cursor) { presenter_.titleMoved({cursor.x(), cursor.y()}); });
    connect(image1_, &TitleStrip::released, this, [this] { presenter_.titleReleased(); });
    connect(imgMenu_, &MenuImage::pressed, this, [this] {
        const QPoint at = imgMenu_->mapToGlobal(QPoint(0, imgMenu_->height()));
        presenter_.menuRequested({at.x(), at.y()});
    });
    connect(lblUrl_, &LinkLabel::clicked, this,
            [this] { presenter_.linkClicked(lblUrl_->text().toStdString()); });
}

void MainWindow::startUp() {
    const window::Size size = window::windowSizeForPanel({picB_->width(), picB_->height()});
    setFixedSize(size.width, size.height);
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect area = s->geometry();
        const window::Point at =
            window::centredTopLeft({area.width(), area.height()}, {size.width, size.height});
        move(area.topLeft() + QPoint(at.x, at.y));
    }
    const QImage tile = picMbl_->pixmap().toImage();
    std::vector<QPoint> origins;
    for (window::Point p :
         window::tileOrigins({tile.width(), tile.height()}, {picB_->width(), picB_->height()}))
        origins.emplace_back(p.x, p.y);
    picB_->tile(tile, origins);
    progressBar_->setMaximum(100);
}

void MainWindow::refresh(const window::WindowState& s, unsigned changes) {
    using namespace window;
    if (changes & kTitle) showTitle(s.title, s.titleColour);
    if (changes & kModules) showModules(s);
    if (changes & kSelection) showSelection(s.selected);
    if (changes & kProjectLabel) labModules_->setText(fromUtf8(s.projectLabel));
    if (changes & kStatus) {
        labInfo_->setText(fromUtf8(s.status));
        labInfo_->setCursor(s.reviewAvailable ? handCursor() : QCursor(Qt::ArrowCursor));
        labInfo_->setToolTip(s.reviewAvailable ? fromUtf8(window::kReviewHint) : QString());
    }
    if (changes & kCounters)
        for (std::size_t i = 0; i < s.counters.size(); ++i) {
            const QString text = fromUtf8(s.counters[i]);
            if (counterLabels_[i]->text() != text) counterLabels_[i]->setText(text);
        }
    if (changes & kProgress) progressBar_->setValue(s.progress);
    if (changes & kRunEnabled) comDetect_->setEnabled(s.runEnabled);
    if (changes & kPointer) showWaitPointer(s.waitPointer);
    if (changes & kExitPicture) imgExit_->showPressed(s.exitPressed);
}

void MainWindow::showTitle(const std::string& title, window::Rgb ink) {
    setWindowTitle(fromUtf8(title));
    // The title text on the strip says it too, in the rule set's colour, and fits it.
    lbl1_->setText(fromUtf8(title));
    QPalette pal = lbl1_->palette();
    pal.setColor(QPalette::WindowText, colour(ink));
    lbl1_->setPalette(pal);
    lbl1_->adjustSize();
}

void MainWindow::showModules(const window::WindowState& s) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(s.modules.size()));
    for (const std::string& row : s.modules) items.push_back(fromUtf8(row));
    listModules_->clear();
    listModules_->addItems(items);
    if (s.selected >= 0) listModules_->setCurrentRow(s.selected);
}

void MainWindow::showSelection(int row) {
    if (row < 0 || row >= listModules_->count()) {
        listModules_->clearSelection();
        listModules_->setCurrentRow(-1);
        return;
    }
    listModules_->setCurrentRow(row);
    listModules_->scrollToItem(listModules_->item(row));
}

void MainWindow::showWaitPointer(bool wait) {
    if (wait == waitShown_) return;
    waitShown_ = wait;
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

std::optional<std::filesystem::path> MainWindow::askForProject(
    const std::filesystem::path& startFolder) {
    dialogFolder_ = startFolder.empty() ? QString() : fromPath(startFolder);
    const std::optional<QString> chosen = openDialog_(this);
    if (!chosen) return std::nullopt;
    return toPath(*chosen);
}

void MainWindow::showErrorBox(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(window::kCaption), fromUtf8(text),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ErrorBox"));
    errorBox_ = &box;
    box.exec();
    errorBox_ = nullptr;
}

void MainWindow::showMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(window::kCaption), fromUtf8(text),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

void MainWindow::openUrl(const std::string& url) {
    urlOpener_(QUrl::fromUserInput(fromUtf8(url)));
}

void MainWindow::openFile(const std::filesystem::path& file) {
    urlOpener_(QUrl::fromLocalFile(fromPath(file)));
}

void MainWindow::openFolder(const std::filesystem::path& folder) {
    urlOpener_(QUrl::fromLocalFile(fromPath(folder)));
}

std::map<QAction*, window::MenuItem> MainWindow::fillMenu(
    QMenu& menu, const std::vector<window::MenuEntry>& entries) {
    menu.setObjectName(QStringLiteral("WindowMenu"));
    menu.setFont(controlFont());
    auto* rules = new QActionGroup(&menu);
    rules->setExclusive(true);
    std::map<QAction*, window::MenuItem> items;
    for (const window::MenuEntry& e : entries) {
        switch (e.kind) {
            case window::MenuEntry::Kind::Separator:
                menu.addSeparator();
                break;
            case window::MenuEntry::Kind::Heading:
                menu.addAction(fromUtf8(e.caption))->setEnabled(false);
                // Each heading begins a radio group of its own (the rules, the code page).
                rules = new QActionGroup(&menu);
                rules->setExclusive(true);
                break;
            case window::MenuEntry::Kind::Item: {
                QAction* a = menu.addAction(fromUtf8(e.caption));
                a->setEnabled(e.enabled);
                if (e.radio) {
                    a->setCheckable(true);
                    a->setActionGroup(rules);
                }
                if (e.check) a->setCheckable(true);
                a->setChecked(e.checked);
                items[a] = e.item;
                break;
            }
        }
    }
    return items;
}

std::optional<window::MenuItem> MainWindow::showMenu(
    window::Point screenAt, const std::vector<window::MenuEntry>& entries) {
    QMenu menu(this);
    const std::map<QAction*, window::MenuItem> items = fillMenu(menu, entries);
    QAction* chosen = menu.exec(QPoint(screenAt.x, screenAt.y));
    const auto found = items.find(chosen);
    if (found == items.end()) return std::nullopt;
    return found->second;
}

void MainWindow::showFindings() {
    if (!findings_) findings_ = new FindingsWindow(presenter_, this);
    findings_->reload();
    findings_->show();
    findings_->raise();
    findings_->activateWindow();
    findings_->table()->setFocus();
}

void MainWindow::findingsChanged() {
    if (findings_) findings_->reload();
}

std::optional<std::filesystem::path> MainWindow::askForFolder(
    const std::filesystem::path& startFolder) {
    const std::optional<QString> chosen =
        folderDialog_(this, startFolder.empty() ? QString() : fromPath(startFolder));
    if (!chosen) return std::nullopt;
    return toPath(*chosen);
}

std::optional<std::filesystem::path> MainWindow::askForPatchFile(
    const std::filesystem::path& suggested) {
    const std::optional<QString> chosen = patchDialog_(this, fromPath(suggested));
    if (!chosen) return std::nullopt;
    return toPath(*chosen);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == labInfo_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        presenter_.statusClicked();
    return QWidget::eventFilter(watched, event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // A right click on the panel or anything on it; the title strip keeps its own.
    if (!picB_->geometry().contains(event->pos())) {
        QWidget::contextMenuEvent(event);
        return;
    }
    event->accept();
    presenter_.menuRequested({event->globalPos().x(), event->globalPos().y()});
}

namespace {

std::vector<std::filesystem::path> droppedFiles(const QMimeData* data) {
    std::vector<std::filesystem::path> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files.push_back(toPath(url.toLocalFile()));
    return files;
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (presenter_.acceptsDrop(droppedFiles(event->mimeData()))) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (presenter_.acceptsDrop(droppedFiles(event->mimeData()))) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::filesystem::path> files = droppedFiles(event->mimeData());
    if (!presenter_.acceptsDrop(files)) return;
    event->acceptProposedAction();
    presenter_.filesDropped(files);
}

void MainWindow::moveWindow(window::Point topLeft) {
    move(topLeft.x, topLeft.y);
}

void MainWindow::drawNow() {
    imgExit_->repaint();
}

void MainWindow::closeWindow() {
    close();
}

void MainWindow::commandEnded() {
    emit commandFinished();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The command under way unwinds at its next yield; files are written whole or not at all.
    presenter_.windowClosing();
    if (errorBox_) errorBox_->done(QMessageBox::Ok);
    event->accept();
}

}  // namespace scourvane::qt
