// Draws every picture of the program from the sources in assets/: the four skins of
// the five skinnable windows, the welcome and splash pictures with their hover
// pictures, button faces, tabs, the title and tray icons, Data.ico and the markers.
// Run at build time: tarrowin_arttool ASSETS_DIR OUT_DIR. The output depends only on
// the sources and the installed DejaVu fonts, so a rebuild gives the same bytes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgRenderer>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;
const char* const kFamily = "DejaVu Sans";

using Section = QMap<QString, QString>;
QMap<QString, Section> g_ini;
QString g_assets;
QString g_out;
bool g_failed = false;

void fail(const QString& what) {
    std::fprintf(stderr, "tarrowin_arttool: %s\n", qPrintable(what));
    g_failed = true;
}

void readIni(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        fail("cannot read " + path);
        return;
    }
    QString section;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0) g_ini[section][line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
}

QColor colour(const QString& section, const QString& key) {
    const QColor c(g_ini.value(section).value(key));
    if (!c.isValid()) fail("no colour " + section + "." + key);
    return c;
}

struct Theme {
    int index = 0;
    QString name, shape;
    QColor bandTop, bandBottom, body, bodyBottom, border, accent, accentDeep, text;
};

Theme theme(int n) {
    const QString s = QStringLiteral("skin%1").arg(n);
    Theme t;
    t.index = n;
    t.name = g_ini.value(s).value("name");
    t.shape = g_ini.value(s).value("shape");
    t.bandTop = colour(s, "bandTop");
    t.bandBottom = colour(s, "bandBottom");
    t.body = colour(s, "body");
    t.bodyBottom = colour(s, "bodyBottom");
    t.border = colour(s, "border");
    t.accent = colour(s, "accent");
    t.accentDeep = colour(s, "accentDeep");
    t.text = colour(s, "text");
    return t;
}

// The icon palette, optionally with the accent of a skin.
QMap<QString, QColor> iconPalette() {
    QMap<QString, QColor> p;
    for (const char* k : {"main", "dark", "light", "accent", "white"}) p[k] = colour("icons", k);
    return p;
}

QImage blank(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QFont font(int pixels, bool bold = false) {
    QFont f(QString::fromLatin1(kFamily));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// A glyph from assets/glyphs with the palette's colours put in.
void drawGlyph(QPainter& p, const QString& name, const QRectF& target, const QMap<QString, QColor>& palette) {
    QFile f(g_assets + "/glyphs/" + name + ".svg");
    if (!f.open(QIODevice::ReadOnly)) {
        fail("missing glyph " + name);
        return;
    }
    QByteArray svg = f.readAll();
    for (auto it = palette.begin(); it != palette.end(); ++it)
        svg.replace("@" + it.key().toLatin1() + "@", it.value().name().toLatin1());
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        fail("bad glyph " + name);
        return;
    }
    renderer.render(&p, target);
}

QImage glyphImage(const QString& name, int size, const QMap<QString, QColor>& palette) {
    QImage img = blank(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawGlyph(p, name, QRectF(0, 0, size, size), palette);
    return img;
}

// Cuts a picture drawn on transparency to a 1-bit outline: a pixel at least half
// covered becomes opaque (blended over the border colour, which is what lies
// under the outline's anti-aliased edge), any other pixel exactly magenta. No
// pinkish pixel survives to sit inside the window as a fringe.
QImage keyedOutline(const QImage& drawn, const QColor& edge) {
    QImage src = drawn.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < 128) {
                o[x] = kMagenta;
                continue;
            }
            auto mix = [&](int c, int e) { return (c * a + e * (255 - a) + 127) / 255; };
            QRgb px = qRgb(mix(qRed(in[x]), edge.red()), mix(qGreen(in[x]), edge.green()),
                           mix(qBlue(in[x]), edge.blue()));
            // A drawn pixel that happens to be the key would be cut out: nudge it.
            if ((px & 0xFFFFFF) == 0xFF00FF) px = qRgb(254, 0, 255);
            o[x] = px;
        }
    }
    return out;
}

QPainterPath leafPath(const QRectF& r, qreal big, qreal small) {
    QPainterPath p;
    p.moveTo(r.left() + big, r.top());
    p.lineTo(r.right() - small, r.top());
    p.arcTo(QRectF(r.right() - 2 * small, r.top(), 2 * small, 2 * small), 90, -90);
    p.lineTo(r.right(), r.bottom() - big);
    p.arcTo(QRectF(r.right() - 2 * big, r.bottom() - 2 * big, 2 * big, 2 * big), 0, -90);
    p.lineTo(r.left() + small, r.bottom());
    p.arcTo(QRectF(r.left(), r.bottom() - 2 * small, 2 * small, 2 * small), 270, -90);
    p.lineTo(r.left(), r.top() + big);
    p.arcTo(QRectF(r.left(), r.top(), 2 * big, 2 * big), 180, -90);
    p.closeSubpath();
    return p;
}

// The outline of a skinned window. Each skin has its own shape, so changing the
// skin visibly changes the window's outline too.
QPainterPath outline(const QString& shape, int w, int h) {
    const QRectF r(0.5, 0.5, w - 1.0, h - 1.0);
    QPainterPath p;
    if (shape == "tab") {
        QPainterPath body;
        body.addRoundedRect(QRectF(r.left(), r.top() + 6, r.width(), r.height() - 6), 8, 8);
        QPainterPath tab;
        tab.addRoundedRect(QRectF(r.left(), r.top(), std::round(r.width() * 0.6), 24), 10, 10);
        p = body.united(tab);
    } else if (shape == "chamfer") {
        const qreal c = 11, d = 6;
        QPolygonF poly;
        poly << QPointF(r.left() + c, r.top()) << QPointF(r.right() - c, r.top()) << QPointF(r.right(), r.top() + c)
             << QPointF(r.right(), r.bottom() - d) << QPointF(r.right() - d, r.bottom())
             << QPointF(r.left() + d, r.bottom()) << QPointF(r.left(), r.bottom() - d)
             << QPointF(r.left(), r.top() + c);
        p.addPolygon(poly);
        p.closeSubpath();
    } else if (shape == "leaf") {
        p = leafPath(r, 22, 5);
    } else {
        p.addRoundedRect(r, 12, 12);
    }
    return p;
}

// The anatomy every skinned window shares: a title band, a light body and a
// thin darker border, all inside the skin's outline.
QImage skinnedWindow(const Theme& t, int w, int h, int band) {
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = outline(t.shape, w, h);

    QLinearGradient body(0, band, 0, h);
    body.setColorAt(0, t.body);
    body.setColorAt(1, t.bodyBottom);
    p.fillPath(shape, body);

    QPainterPath bandRect;
    bandRect.addRect(0, 0, w, band);
    const QPainterPath bandPath = shape.intersected(bandRect);
    QLinearGradient bandGrad(0, 0, 0, band);
    bandGrad.setColorAt(0, t.bandTop);
    bandGrad.setColorAt(1, t.bandBottom);
    p.fillPath(bandPath, bandGrad);
    // A soft sheen on the upper half of the band.
    QPainterPath sheenRect;
    sheenRect.addRect(0, 0, w, band * 0.45);
    QLinearGradient sheen(0, 0, 0, band * 0.45);
    sheen.setColorAt(0, QColor(255, 255, 255, 60));
    sheen.setColorAt(1, QColor(255, 255, 255, 12));
    p.fillPath(shape.intersected(sheenRect), sheen);
    // The band's lower edge: a dark line, then a light one on the body.
    p.fillRect(QRectF(0, band - 1, w, 1), t.border);
    p.fillRect(QRectF(0, band, w, 1), QColor(255, 255, 255, 170));
    p.setClipping(false);

    QPen pen(t.border, 2);
    pen.setJoinStyle(Qt::RoundJoin);
    p.strokePath(shape, pen);
    p.end();
    return keyedOutline(img, t.border);
}

bool save(const QImage& img, const QString& name) {
    const QString path = g_out + "/" + name;
    if (!img.save(path, "PNG")) {
        fail("cannot write " + path);
        return false;
    }
    return true;
}

// An ICO file of 32-bit images with alpha and an AND mask made from the alpha.
bool writeIco(const QString& name, const std::vector<QImage>& images) {
    QByteArray out;
    auto u16 = [&](int v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF)); };
    u16(0);
    u16(1);
    u16(static_cast<int>(images.size()));
    std::vector<QByteArray> records;
    for (const QImage& src : images) {
        const QImage img = src.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        const int maskStride = ((w + 31) / 32) * 4;
        QByteArray rec;
        auto r32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) rec.append(char((v >> (8 * i)) & 0xFF)); };
        auto r16 = [&](int v) { rec.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
        r32(40);
        r32(static_cast<quint32>(w));
        r32(static_cast<quint32>(h * 2));
        r16(1);
        r16(32);
        r32(0);
        r32(static_cast<quint32>(w * h * 4 + maskStride * h));
        r32(0);
        r32(0);
        r32(0);
        r32(0);
        for (int y = h - 1; y >= 0; --y) {
            const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                rec.append(char(qBlue(row[x]))).append(char(qGreen(row[x]))).append(char(qRed(row[x])));
                rec.append(char(qAlpha(row[x])));
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            QByteArray bits(maskStride, '\0');
            for (int x = 0; x < w; ++x)
                if (qAlpha(row[x]) < 128) bits[x >> 3] = char(bits[x >> 3] | (0x80 >> (x & 7)));
            rec.append(bits);
        }
        records.push_back(rec);
    }
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.append(char(images[i].width() & 0xFF)).append(char(images[i].height() & 0xFF));
        out.append('\0').append('\0');
        u16(1);
        u16(32);
        u32(static_cast<quint32>(records[i].size()));
        u32(offset);
        offset += static_cast<quint32>(records[i].size());
    }
    for (const QByteArray& r : records) out.append(r);
    QFile f(g_out + "/" + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size()) {
        fail("cannot write " + name);
        return false;
    }
    return true;
}

// ---- the welcome screen and the splash --------------------------------------------

// Task buttons and round buttons of the welcome screen, in pixels.
const int kTaskX[5] = {153, 216, 288, 353, 413};
constexpr int kTaskY = 46, kTaskW = 58, kTaskH = 62;
const int kRoundX[4] = {433, 390, 348, 300};
constexpr int kRoundY = 356, kRoundD = 39;
const char* const kTaskGlyph[5] = {"desktop", "folder", "create", "padlock", "library"};
const char* const kRoundGlyph[4] = {"power", "globe", "palette", "info"};

void paintDeepBackground(QPainter& p, const QRectF& r, const QPainterPath& shape) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, colour("welcome", "top"));
    g.setColorAt(1, colour("welcome", "bottom"));
    p.fillPath(shape, g);
    QRadialGradient glow(QPointF(r.width() * 0.2, r.height() * 0.15), r.width() * 0.7);
    QColor c = colour("welcome", "glow");
    c.setAlpha(90);
    glow.setColorAt(0, c);
    c.setAlpha(0);
    glow.setColorAt(1, c);
    p.fillPath(shape, glow);
}

void drawTaskTile(QPainter& p, int i, bool hover) {
    const QRectF tile(kTaskX[i] + 0.5, kTaskY + 0.5, kTaskW - 1, kTaskH - 1);
    const QMap<QString, QColor> pal = iconPalette();
    if (hover) {
        p.setPen(QPen(pal["accent"], 2));
        p.setBrush(QColor(255, 255, 255, 240));
    } else {
        p.setPen(QPen(QColor(255, 255, 255, 70), 1));
        p.setBrush(QColor(255, 255, 255, 200));
    }
    p.drawRoundedRect(tile.adjusted(hover ? 0.5 : 0, hover ? 0.5 : 0, hover ? -0.5 : 0, hover ? -0.5 : 0), 10, 10);
    const qreal g = hover ? 44 : 40;
    drawGlyph(p, kTaskGlyph[i], QRectF(tile.center().x() - g / 2, tile.center().y() - g / 2, g, g), pal);
}

void drawRoundButton(QPainter& p, int i, bool hover) {
    const QRectF r(kRoundX[i] + 1, kRoundY + 1, kRoundD - 2, kRoundD - 2);
    QMap<QString, QColor> pal = iconPalette();
    if (hover) {
        p.setPen(QPen(QColor(255, 255, 255, 230), 1.5));
        p.setBrush(pal["accent"]);
    } else {
        p.setPen(QPen(QColor(255, 255, 255, 140), 1.5));
        p.setBrush(QColor(255, 255, 255, 36));
    }
    p.drawEllipse(r);
    drawGlyph(p, kRoundGlyph[i], r.adjusted(8, 8, -8, -8), pal);
}

QImage welcomePicture(QPainterPath* shapeOut = nullptr) {
    const int w = 500, h = 450;
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPainterPath shape = leafPath(QRectF(0.5, 0.5, w - 1, h - 1), 40, 14);
    if (shapeOut) *shapeOut = shape;
    paintDeepBackground(p, QRectF(0, 0, w, h), shape);

    // The emblem and name at the top left, beside the task buttons.
    const QMap<QString, QColor> pal = iconPalette();
    drawGlyph(p, "emblem", QRectF(34, 34, 84, 84), pal);

    // The tray holding the five task buttons.
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.setBrush(QColor(255, 255, 255, 22));
    p.drawRoundedRect(QRectF(143.5, 36.5, 340, 82), 14, 14);
    for (int i = 0; i < 5; ++i) drawTaskTile(p, i, false);

    // The three numbered steps beside the guidance labels (at y 200, 224, 248).
    p.setFont(font(11, true));
    for (int k = 0; k < 3; ++k) {
        const QRectF badge(136, 200 + 24 * k + 1, 16, 16);
        p.setPen(Qt::NoPen);
        p.setBrush(pal["accent"]);
        p.drawEllipse(badge);
        p.setPen(QColor(255, 255, 255));
        p.drawText(badge, Qt::AlignCenter, QString::number(k + 1));
    }
    // A quiet rule between the text and the buttons below.
    QLinearGradient rule(40, 0, 460, 0);
    rule.setColorAt(0, QColor(255, 255, 255, 0));
    rule.setColorAt(0.5, QColor(255, 255, 255, 90));
    rule.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(40, 330, 420, 1), rule);

    for (int i = 0; i < 4; ++i) drawRoundButton(p, i, false);
    p.setPen(QColor(255, 255, 255, 225));
    p.setFont(font(20, true));
    p.drawText(QRectF(40, 352, 240, 26), Qt::AlignLeft | Qt::AlignVCenter, "Tarrowin");
    p.setPen(QColor(200, 218, 245));
    p.setFont(font(11));
    p.drawText(QRectF(41, 378, 240, 16), Qt::AlignLeft | Qt::AlignVCenter, "Icons the way you want them");
    QPen edge(QColor(6, 20, 50), 2);
    p.strokePath(shape, edge);
    p.end();
    return keyedOutline(img, QColor(6, 20, 50));
}

QImage crop(const QImage& from, const QRect& r) {
    return from.copy(r);
}

void welcomeSet() {
    const QImage welcome = welcomePicture();
    save(welcome, "welcome.png");
    for (int i = 0; i < 5; ++i) {
        QImage hover = welcome.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        {
            QPainter p(&hover);
            p.setRenderHint(QPainter::Antialiasing);
            drawTaskTile(p, i, true);
        }
        save(crop(hover, QRect(kTaskX[i], kTaskY, kTaskW, kTaskH)).convertToFormat(QImage::Format_RGB32),
             QStringLiteral("welcome_task_%1.png").arg(i));
    }
    for (int i = 0; i < 4; ++i) {
        QImage hover = welcome.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        {
            QPainter p(&hover);
            p.setRenderHint(QPainter::Antialiasing);
            // Start from the plain background under the button, so the ring is not drawn twice.
            drawRoundButton(p, i, true);
        }
        save(crop(hover, QRect(kRoundX[i], kRoundY, kRoundD, kRoundD)).convertToFormat(QImage::Format_RGB32),
             QStringLiteral("welcome_round_%1.png").arg(i));
    }
}

void splash() {
    const int w = 450, h = 300;
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath rect;
    rect.addRect(0, 0, w, h);
    paintDeepBackground(p, QRectF(0, 0, w, h), rect);
    const QMap<QString, QColor> pal = iconPalette();
    drawGlyph(p, "emblem", QRectF(44, 62, 104, 104), pal);
    p.setPen(QColor(255, 255, 255));
    p.setFont(font(40, true));
    p.drawText(QRectF(170, 68, 270, 52), Qt::AlignLeft | Qt::AlignVCenter, "Tarrowin");
    p.setPen(QColor(200, 218, 245));
    p.setFont(font(14));
    p.drawText(QRectF(172, 120, 270, 22), Qt::AlignLeft | Qt::AlignVCenter, "Icons the way you want them");
    p.setFont(font(11));
    p.drawText(QRectF(172, 146, 270, 18), Qt::AlignLeft | Qt::AlignVCenter, "Version 6.1");
    // The band along the bottom holds the loading text and the continue button.
    p.fillRect(QRectF(0, 250, w, 50), QColor(0, 0, 0, 70));
    p.fillRect(QRectF(0, 250, w, 1), QColor(255, 255, 255, 50));
    p.setPen(QPen(QColor(6, 20, 50), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, w - 2, h - 2));
    p.end();
    save(img.convertToFormat(QImage::Format_RGB32), "splash.png");
}

// ---- the skinned windows ----------------------------------------------------------

void mainMenu(const Theme& t) {
    QImage img = skinnedWindow(t, 237, 395, 36).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Faint separators between the rows.
    QColor sep = t.border;
    sep.setAlpha(28);
    for (int y : {90, 131, 172, 212}) p.fillRect(QRectF(24, y, 189, 1), sep);
    // A rule above "Latest Info:", and the frame of the information view.
    QColor rule = t.border;
    rule.setAlpha(45);
    p.fillRect(QRectF(24, 264, 189, 1), rule);
    p.setPen(QPen(rule, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(22.5, 294.5, 204, 68), 3, 3);
    QColor mute(110, 116, 124);
    p.setPen(mute);
    p.setFont(font(10));
    p.drawText(QRectF(100, 365, 86, 18), Qt::AlignRight | Qt::AlignVCenter, "Skin");
    p.end();
    save(keyedOutline(img, t.border), QStringLiteral("skin_menu_%1.png").arg(t.index));

    // The highlight bar of a row.
    QImage bar = blank(214, 38);
    QPainter b(&bar);
    b.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 38);
    g.setColorAt(0, t.accent.lighter(104));
    g.setColorAt(1, t.accent.darker(104));
    b.setBrush(g);
    QColor ring = t.accentDeep;
    ring.setAlpha(150);
    b.setPen(QPen(ring, 1));
    b.drawRoundedRect(QRectF(0.5, 0.5, 213, 37), 7, 7);
    b.setPen(Qt::NoPen);
    b.setBrush(t.accentDeep);
    b.drawRoundedRect(QRectF(2, 8, 3, 22), 1.5, 1.5);
    b.end();
    save(bar, QStringLiteral("menu_bar_%1.png").arg(t.index));

    // The skin control: one dot per skin, the one in force filled.
    QImage dots = blank(32, 8);
    QPainter d(&dots);
    d.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 4; ++k) {
        const QRectF r(1 + 8 * k, 1, 6, 6);
        if (k == t.index) {
            d.setPen(Qt::NoPen);
            d.setBrush(t.accentDeep);
            d.drawEllipse(r.adjusted(-0.5, -0.5, 0.5, 0.5));
        } else {
            d.setPen(QPen(QColor(140, 146, 154), 1.2));
            d.setBrush(Qt::NoBrush);
            d.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }
    d.end();
    save(dots, QStringLiteral("menu_skin_%1.png").arg(t.index));
}

void taskWindow(const Theme& t, const QString& name, int w, int h) {
    save(skinnedWindow(t, w, h, 32), QStringLiteral("skin_%1_%2.png").arg(name).arg(t.index));
}

void tabs(const Theme& t) {
    const int widths[3] = {97, 100, 100};
    for (int k = 0; k < 3; ++k) {
        QImage img = blank(widths[k], 33);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(0.5, 0.5, widths[k] - 1, 40), 7, 7);
        QPainterPath clip;
        clip.addRect(0, 0, widths[k], 33);
        QLinearGradient g(0, 0, 0, 33);
        g.setColorAt(0, t.accent.lighter(106));
        g.setColorAt(1, t.body);
        p.fillPath(path.intersected(clip), g);
        p.setPen(QPen(t.accentDeep, 1));
        p.drawPath(path.intersected(clip));
        p.fillRect(QRectF(6, 1, widths[k] - 12, 2), t.accentDeep);
        p.end();
        save(img, QStringLiteral("tab_%1_%2.png").arg(t.index).arg(k));
    }
}

// ---- small pictures ---------------------------------------------------------------

void titleButtons() {
    const QColor white(255, 255, 255);
    {
        QImage img = blank(15, 15);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(white, 1.4));
        p.drawEllipse(QRectF(1, 1, 13, 13));
        p.fillRect(QRectF(6.8, 6.4, 1.6, 5), white);
        p.fillRect(QRectF(6.8, 3.6, 1.6, 1.6), white);
        p.end();
        save(img, "button_about.png");
    }
    {
        QImage img = blank(16, 16);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(white, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 11), QPointF(12, 11));
        p.end();
        save(img, "button_min.png");
    }
    {
        QImage img = blank(16, 16);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(white, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        p.end();
        save(img, "button_close.png");
    }
}

void faces() {
    struct Face {
        const char* name;
        QColor top, bottom, edge, inner;
    };
    const Face list[] = {
        {"up", QColor(0xFF, 0xFF, 0xFF), QColor(0xE3, 0xE8, 0xEF), QColor(0x8A, 0x96, 0xA8), QColor(255, 255, 255, 160)},
        {"over", QColor(0xF4, 0xF9, 0xFF), QColor(0xD6, 0xE6, 0xFA), QColor(0x3B, 0x78, 0xD8), QColor(255, 255, 255, 200)},
        {"down", QColor(0xCF, 0xDB, 0xEC), QColor(0xE6, 0xEE, 0xF8), QColor(0x2A, 0x5C, 0xAE), QColor(0, 0, 0, 0)},
        {"disabled", QColor(0xF2, 0xF3, 0xF5), QColor(0xEC, 0xEE, 0xF1), QColor(0xC4, 0xC8, 0xCE), QColor(0, 0, 0, 0)},
    };
    for (const Face& f : list) {
        QImage img = blank(76, 24);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 0, 24);
        g.setColorAt(0, f.top);
        g.setColorAt(1, f.bottom);
        p.setBrush(g);
        p.setPen(QPen(f.edge, 1));
        p.drawRoundedRect(QRectF(0.5, 0.5, 75, 23), 4, 4);
        p.setPen(QPen(f.inner, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(1.5, 1.5, 73, 21), 3, 3);
        p.end();
        save(img, QStringLiteral("face_%1.png").arg(f.name));
    }
}

void icons() {
    const QMap<QString, QColor> pal = iconPalette();
    // Data.ico: image k (1..5) is the icon of menu row 5 - k, at 24 pixels so that
    // it fits the row's 25-pixel icon box; the same five follow at 16 and 32.
    const char* rows[5] = {"library", "padlock", "create", "desktop", "folder"};
    std::vector<QImage> data;
    for (int size : {24, 16, 32})
        for (const char* g : rows) data.push_back(glyphImage(g, size, pal));
    writeIco("Data.ico", data);
    for (const char* marker : {"windows", "user"}) {
        std::vector<QImage> sizes;
        for (int size : {16, 24, 32}) sizes.push_back(glyphImage(marker, size, pal));
        writeIco(QStringLiteral("%1.ico").arg(marker), sizes);
    }
    std::vector<QImage> emblem;
    for (int size : {16, 24, 32, 48}) emblem.push_back(glyphImage("emblem", size, pal));
    writeIco("tarrowin.ico", emblem);
    save(glyphImage("emblem", 16, pal), "tray.png");
    save(glyphImage("emblem", 24, pal), "title.png");
    save(glyphImage("emblem", 128, pal), "emblem.png");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tarrowin_arttool ASSETS_DIR OUT_DIR\n");
        return 2;
    }
    g_assets = QString::fromLocal8Bit(argv[1]);
    g_out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(g_out);
    readIni(g_assets + "/themes.ini");
    if (g_failed) return 1;

    welcomeSet();
    splash();
    for (int n = 0; n < 4; ++n) {
        const Theme t = theme(n);
        mainMenu(t);
        taskWindow(t, "folder", 450, 380);
        taskWindow(t, "desktop", 529, 505);
        taskWindow(t, "browser", 600, 516);
        taskWindow(t, "creator", 508, 464);
        tabs(t);
    }
    titleButtons();
    faces();
    icons();
    return g_failed ? 1 : 0;
}
