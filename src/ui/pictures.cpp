#include "ui/pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace nvx {

namespace {

QPainterPath HeartPath(const QRectF& r) {
    const double w = r.width(), h = r.height(), x = r.left(), y = r.top();
    QPainterPath path;
    path.moveTo(x + w / 2, y + h);
    path.cubicTo(x + w * 0.42, y + h * 0.80, x, y + h * 0.62, x, y + h * 0.30);
    path.cubicTo(x, y + h * 0.10, x + w * 0.15, y, x + w * 0.28, y);
    path.cubicTo(x + w * 0.40, y, x + w * 0.48, y + h * 0.08, x + w / 2, y + h * 0.20);
    path.cubicTo(x + w * 0.52, y + h * 0.08, x + w * 0.60, y, x + w * 0.72, y);
    path.cubicTo(x + w * 0.85, y, x + w, y + h * 0.10, x + w, y + h * 0.30);
    path.cubicTo(x + w, y + h * 0.62, x + w * 0.58, y + h * 0.80, x + w / 2, y + h);
    path.closeSubpath();
    return path;
}

QPainterPath StemPath(const QRectF& r) {
    const double w = r.width(), h = r.height(), x = r.left(), y = r.top();
    QPainterPath stem;
    stem.moveTo(x + w * 0.45, y + h * 0.55);
    stem.quadTo(x + w * 0.42, y + h * 0.90, x + w * 0.25, y + h);
    stem.lineTo(x + w * 0.75, y + h);
    stem.quadTo(x + w * 0.58, y + h * 0.90, x + w * 0.55, y + h * 0.55);
    stem.closeSubpath();
    return stem;
}

QPainterPath SuitPath(const QRectF& r, int strain) {
    const double w = r.width(), h = r.height(), x = r.left(), y = r.top();
    QPainterPath path;
    switch (strain) {
    case 0: { // clubs: three leaves and a stem
        const double d = w * 0.46;
        const QRectF leaves[] = {QRectF(x + (w - d) / 2, y, d, d), QRectF(x, y + h * 0.34, d, d),
                                 QRectF(x + w - d, y + h * 0.34, d, d)};
        for (const QRectF& leaf : leaves) {
            QPainterPath part;
            part.addEllipse(leaf);
            path = path.united(part);
        }
        QPainterPath centre;
        centre.addRect(QRectF(x + w * 0.35, y + h * 0.30, w * 0.30, h * 0.30));
        path = path.united(centre).united(StemPath(r));
        break;
    }
    case 1: // diamonds
        path.moveTo(x + w / 2, y);
        path.quadTo(x + w * 0.70, y + h * 0.30, x + w * 0.92, y + h / 2);
        path.quadTo(x + w * 0.70, y + h * 0.70, x + w / 2, y + h);
        path.quadTo(x + w * 0.30, y + h * 0.70, x + w * 0.08, y + h / 2);
        path.quadTo(x + w * 0.30, y + h * 0.30, x + w / 2, y);
        path.closeSubpath();
        break;
    case 2: // hearts
        path = HeartPath(QRectF(x, y + h * 0.04, w, h * 0.92));
        break;
    case 3: { // spades: a heart upside down and a stem
        QTransform flip;
        flip.translate(0, 2 * y + h * 0.78);
        flip.scale(1, -1);
        path = flip.map(HeartPath(QRectF(x, y, w, h * 0.78)));
        path = path.united(StemPath(r));
        break;
    }
    default:
        break;
    }
    return path;
}

} // namespace

QColor StrainColor(int strain) {
    return (strain == 1 || strain == 2) ? QColor(200, 0, 0) : QColor(0, 0, 0);
}

void PaintStrainSymbol(QPainter& p, const QRectF& r, int strain) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (strain >= 0 && strain <= 3) {
        const double side = std::min(r.width(), r.height());
        const double w = side * (strain == 1 ? 0.80 : 0.92);
        QRectF box(r.center().x() - w / 2, r.center().y() - side / 2, w, side);
        p.setPen(Qt::NoPen);
        p.setBrush(StrainColor(strain));
        p.drawPath(SuitPath(box, strain));
    } else {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(std::max(6, int(r.height() * 0.72)));
        p.setFont(f);
        p.setPen(StrainColor(4));
        p.drawText(r, Qt::AlignCenter, QStringLiteral("NT"));
    }
    p.restore();
}

QPixmap ContractPicture(int level, int strain, const QSize& size) {
    const qreal ratio = 2.0;
    QPixmap pm(size * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double w = size.width(), h = size.height();
    QFont f;
    f.setBold(true);
    f.setPixelSize(int(h * 0.78));
    p.setFont(f);
    p.setPen(Qt::black);
    const double levelWidth = strain == 4 ? w * 0.36 : w * 0.46;
    p.drawText(QRectF(0, 0, levelWidth, h), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(level));
    const double gap = w * 0.06;
    const QRectF symbol(levelWidth + gap, h * 0.14, w - levelWidth - gap - w * 0.04, h * 0.72);
    if (strain == 4) {
        PaintStrainSymbol(p, QRectF(symbol.left(), 0, symbol.width(), h), 4);
    } else {
        PaintStrainSymbol(p, QRectF(symbol.left(), symbol.top(), symbol.height(), symbol.height()),
                          strain);
    }
    return pm;
}

QIcon GlyphIcon(Glyph glyph, int side) {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) {
        QPixmap pm(QSize(side, side) * ratio);
        pm.setDevicePixelRatio(ratio);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 60, 120));
        const double s = side;
        auto triangle = [&](double x0, double x1, double top, double bottom) {
            QPolygonF t;
            t << QPointF(x0, (top + bottom) / 2) << QPointF(x1, top) << QPointF(x1, bottom);
            p.drawPolygon(t);
        };
        switch (glyph) {
        case Glyph::First:
            p.drawRect(QRectF(s * 0.18, s * 0.22, s * 0.12, s * 0.56));
            triangle(s * 0.30, s * 0.82, s * 0.22, s * 0.78);
            break;
        case Glyph::Back:
            triangle(s * 0.22, s * 0.78, s * 0.22, s * 0.78);
            break;
        case Glyph::Next:
            triangle(s * 0.78, s * 0.22, s * 0.22, s * 0.78);
            break;
        case Glyph::Last:
            triangle(s * 0.70, s * 0.18, s * 0.22, s * 0.78);
            p.drawRect(QRectF(s * 0.70, s * 0.22, s * 0.12, s * 0.56));
            break;
        case Glyph::Down:
        case Glyph::Up: {
            QPen pen(QColor(30, 60, 120), s * 0.14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            const bool down = glyph == Glyph::Down;
            for (double dy : {0.0, 0.28}) {
                const double y0 = down ? s * (0.22 + dy) : s * (0.50 + dy);
                const double y1 = down ? y0 + s * 0.22 : y0 - s * 0.22;
                QPolygonF chevron;
                chevron << QPointF(s * 0.22, y0) << QPointF(s * 0.50, y1) << QPointF(s * 0.78, y0);
                p.drawPolyline(chevron);
            }
            break;
        }
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPixmap ProgramPicture(int side) {
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side;
    p.setPen(QPen(QColor(20, 70, 40), s / 40.0));
    p.setBrush(QColor(30, 120, 70));
    p.drawRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.14, s * 0.14);
    p.setPen(QPen(QColor(120, 120, 120), s / 64.0));
    p.setBrush(Qt::white);
    const QRectF card(s * 0.20, s * 0.12, s * 0.60, s * 0.76);
    p.drawRoundedRect(card, s * 0.06, s * 0.06);
    const double q = s * 0.20;
    const QPointF c = card.center();
    PaintStrainSymbol(p, QRectF(c.x() - q * 1.05, c.y() - q * 1.10, q, q), 3);
    PaintStrainSymbol(p, QRectF(c.x() + q * 0.05, c.y() - q * 1.10, q, q), 2);
    PaintStrainSymbol(p, QRectF(c.x() - q * 1.05, c.y() + q * 0.10, q, q), 1);
    PaintStrainSymbol(p, QRectF(c.x() + q * 0.05, c.y() + q * 0.10, q, q), 0);
    return pm;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128})
        icon.addPixmap(ProgramPicture(side));
    return icon;
}

} // namespace nvx
