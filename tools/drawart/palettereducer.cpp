#include "palettereducer.h"

#include <QRandomGenerator>

#include <array>
#include <limits>
#include <vector>

namespace {

using Rgb = std::array<double, 3>;

double distance(const Rgb &a, const Rgb &b) {
    // Weighted the way the eye weighs them, so greens keep more of their steps.
    const double dr = a[0] - b[0], dg = a[1] - b[1], db = a[2] - b[2];
    return 0.30 * dr * dr + 0.59 * dg * dg + 0.11 * db * db;
}

// k-means, seeded with k-means++ from a fixed seed so that the output never changes.
std::vector<Rgb> clusters(const std::vector<Rgb> &pixels, int k) {
    std::vector<Rgb> centres;
    if (pixels.empty())
        return centres;
    QRandomGenerator rng(12345);
    centres.push_back(pixels[size_t(rng.bounded(int(pixels.size())))]);
    std::vector<double> nearest(pixels.size(), std::numeric_limits<double>::max());
    while (int(centres.size()) < k) {
        double total = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            nearest[i] = std::min(nearest[i], distance(pixels[i], centres.back()));
            total += nearest[i];
        }
        if (total <= 0)
            break;
        double pick = rng.generateDouble() * total;
        size_t chosen = 0;
        for (; chosen + 1 < pixels.size(); ++chosen) {
            pick -= nearest[chosen];
            if (pick <= 0)
                break;
        }
        centres.push_back(pixels[chosen]);
    }
    std::vector<int> owner(pixels.size(), 0);
    for (int round = 0; round < 30; ++round) {
        for (size_t i = 0; i < pixels.size(); ++i) {
            double best = std::numeric_limits<double>::max();
            for (size_t c = 0; c < centres.size(); ++c) {
                const double d = distance(pixels[i], centres[c]);
                if (d < best) {
                    best = d;
                    owner[i] = int(c);
                }
            }
        }
        std::vector<Rgb> sum(centres.size(), Rgb{0, 0, 0});
        std::vector<int> count(centres.size(), 0);
        for (size_t i = 0; i < pixels.size(); ++i) {
            for (int ch = 0; ch < 3; ++ch)
                sum[size_t(owner[i])][size_t(ch)] += pixels[i][size_t(ch)];
            ++count[size_t(owner[i])];
        }
        for (size_t c = 0; c < centres.size(); ++c) {
            if (count[c] == 0)
                continue;
            for (int ch = 0; ch < 3; ++ch)
                centres[c][size_t(ch)] = sum[c][size_t(ch)] / count[c];
        }
    }
    return centres;
}

} // namespace

QImage PaletteReducer::reduce(const QImage &picture, int colours) {
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    std::vector<Rgb> opaque;
    bool anyTransparent = false;
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb p = source.pixel(x, y);
            if (qAlpha(p) < 128) {
                anyTransparent = true;
                continue;
            }
            opaque.push_back({double(qRed(p)), double(qGreen(p)), double(qBlue(p))});
        }
    }
    const int first = anyTransparent ? 1 : 0;
    const std::vector<Rgb> centres = clusters(opaque, colours - first);

    QList<QRgb> table;
    if (anyTransparent)
        table << qRgba(0, 0, 0, 0);
    for (const Rgb &c : centres)
        table << qRgb(int(c[0] + 0.5), int(c[1] + 0.5), int(c[2] + 0.5));

    QImage out(source.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < source.height(); ++y) {
        uchar *line = out.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            const QRgb p = source.pixel(x, y);
            if (qAlpha(p) < 128) {
                line[x] = 0;
                continue;
            }
            const Rgb rgb{double(qRed(p)), double(qGreen(p)), double(qBlue(p))};
            double best = std::numeric_limits<double>::max();
            for (size_t c = 0; c < centres.size(); ++c) {
                const double d = distance(rgb, centres[c]);
                if (d < best) {
                    best = d;
                    line[x] = uchar(first + int(c));
                }
            }
        }
    }
    return out;
}
