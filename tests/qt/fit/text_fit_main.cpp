// scourvane_text_fit PROJECT.vbp: opens the real window on the platform, dots per inch and
// scale factor of its environment, takes the project in and runs the check through the buttons,
// then measures every text the window shows and prints one line for each:
//   NAME fits|CLIPPED box=X,Y,W,H room=X,Y,W,H ink=X,Y,W,H inkroom=X,Y,W,H text="..."
// box is the text's line box (QFontMetrics, with the control's alignment and margins) and room
// the rectangle it must stay in, in the control's logical pixels; ink is the rectangle of the
// pixels the text paints when drawn unclipped at the window's device pixel ratio, and inkroom
// the room in those device pixels. The first line says where it ran:
//   screen platform=NAME dpr=R dpi=D
// UI tests run it once per setting; it also serves to look at a setting by hand.
#include <QAbstractItemView>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtMath>
#include <cstdio>

#include "text/codepage.h"
#include "qt/main_window.h"

namespace {

using scourvane::qt::MainWindow;

bool waitForCommand(MainWindow& window) {
    QEventLoop loop;
    QObject::connect(&window, &MainWindow::commandFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, [&loop] { loop.exit(1); });
    return loop.exec() == 0;
}

QString text(const QRect& r) {
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Where a label places its text: its contents less the margin, and less the indent on the
// sides it aligns to (half an "x" when it has a frame and no indent of its own).
QRect layoutRect(const QLabel* l) {
    QRect r = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
    int indent = l->indent();
    if (indent < 0 && l->frameWidth() > 0)
        indent = l->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - l->margin();
    if (indent > 0) {
        const Qt::Alignment a = l->alignment();
        if (a & Qt::AlignLeft) r.setLeft(r.left() + indent);
        if (a & Qt::AlignRight) r.setRight(r.right() - indent);
        if (a & Qt::AlignTop) r.setTop(r.top() + indent);
        if (a & Qt::AlignBottom) r.setBottom(r.bottom() - indent);
    }
    return r;
}

// The pixels `s` paints in `place` (the control's coordinates) when nothing clips it, in the
// window's device pixels: drawn where the window draws the control, so on the same pixel grid.
QRect inkOf(const QWidget* w, const QRect& place, int flags, const QString& s, qreal dpr) {
    const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
    const int pad = 32;
    const QPoint origin(qFloor(at.x() * dpr) - pad, qFloor(at.y() * dpr) - pad);
    QImage image(QSize(qCeil(w->width() * dpr), qCeil(w->height() * dpr)) + QSize(3, 3) * pad,
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(w->font());
    p.setPen(Qt::black);
    p.translate(QPointF(at) - QPointF(origin) / dpr);
    p.drawText(place, flags | Qt::TextDontClip, s);
    p.end();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
    }
    return ink.translated(origin);
}

// The pixels whose centres lie inside `room` (the control's coordinates), in the window's
// device pixels: what is left of a text clipped to that rectangle.
QRect deviceRoom(const QWidget* w, const QRect& room, qreal dpr) {
    const QRectF r(QPointF(w->mapTo(w->window(), room.topLeft())) * dpr, QSizeF(room.size()) * dpr);
    return QRect(QPoint(qRound(r.left()), qRound(r.top())),
                 QPoint(qRound(r.right()) - 1, qRound(r.bottom()) - 1));
}

void report(const char* name, const QRect& box, const QRect& room, const QRect& ink,
            const QRect& inkRoom, const QString& s) {
    const bool fits = room.contains(box) && inkRoom.contains(ink);
    QString shown = s;
    shown.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    std::printf("%s %s box=%s room=%s ink=%s inkroom=%s text=\"%s\"\n", name,
                fits ? "fits" : "CLIPPED", qPrintable(text(box)), qPrintable(text(room)),
                qPrintable(text(ink)), qPrintable(text(inkRoom)), shown.toUtf8().constData());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: scourvane_text_fit PROJECT.vbp\n");
        return 2;
    }
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());

    MainWindow window;
    const QString project = QString::fromLocal8Bit(argv[1]);
    window.setOpenDialog([project](QWidget*) { return std::optional<QString>(project); });
    // The specified rules: the title text on the strip is then at its longest.
    window.setRules(scourvane::RuleSet::Spec);
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("ComOpenVBP"))->click();
    if (!waitForCommand(window)) return 1;
    window.findChild<QPushButton*>(QStringLiteral("ComDetectUnusedDeclarations"))->click();
    if (!waitForCommand(window)) return 1;
    QApplication::processEvents();

    const qreal dpr = window.devicePixelRatioF();
    std::printf("screen platform=%s dpr=%g dpi=%g\n", qPrintable(QGuiApplication::platformName()),
                dpr, window.screen()->logicalDotsPerInchY());

    for (const QLabel* l : window.findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty()) continue;
        int flags = int(l->alignment());
        if (l->wordWrap()) flags |= Qt::TextWordWrap;
        const QRect place = layoutRect(l);
        const QRect box = l->fontMetrics().boundingRect(place, flags, l->text());
        // The ink may use the margins too, not the frame.
        const int fw = l->frameWidth();
        report(qPrintable(l->objectName()), box, l->contentsRect(),
               inkOf(l, place, flags, l->text(), dpr),
               deviceRoom(l, l->rect().adjusted(fw, fw, -fw, -fw), dpr), l->text());
    }
    for (QPushButton* b : window.findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
        const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        const QRect box = b->fontMetrics().boundingRect(room, flags, b->text());
        report(qPrintable(b->objectName()), box, room, inkOf(b, room, flags, b->text(), dpr),
               deviceRoom(b, room, dpr), b->text());
    }
    // The module list's rows: each row's text, less the item view's text margins, within its
    // row and within the list's visible area.
    const auto* list = window.findChild<QListWidget*>(QStringLiteral("ListModules"));
    const int textMargin =
        list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    for (int i = 0; i < list->count(); ++i) {
        const QRect row = list->visualItemRect(list->item(i));
        const QRect place = row.adjusted(textMargin, 0, -textMargin, 0);
        const QString s = list->item(i)->text();
        const int flags = Qt::AlignLeft | Qt::AlignVCenter;
        const QRect box = list->fontMetrics().boundingRect(place, flags, s);
        const QRect room = row & list->viewport()->rect();
        report(qPrintable(QStringLiteral("ListModules[%1]").arg(i)), box, room,
               inkOf(list->viewport(), place, flags, s, dpr),
               deviceRoom(list->viewport(), room, dpr), s);
    }
    return 0;
}
