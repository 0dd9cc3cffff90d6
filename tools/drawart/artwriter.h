#pragma once

#include "theme.h"

#include <QImage>
#include <QString>

#include <functional>

// Writes every designed picture into the assets folder: the window's own pictures
// under window/ and the shipped skins under Skins/.
class ArtWriter {
public:
    ArtWriter(const QString &assetsFolder, const QString &previewFolder);

    bool writeAll();

private:
    struct ShippedSkin {
        QString folder;
        QString caption;
        Theme theme;
        std::function<QImage(int)> digit;
        QString controlBoxColor;
        QString mainLabelColor;
        QString optionLabelColor;
    };

    void writeWindow();
    void writeSkin(const ShippedSkin &skin);
    void save(const QImage &image, const QString &relative, const char *format, int quality = -1);
    void preview(const QImage &image, const QString &name);

    QString m_assets;
    QString m_preview;
    bool m_ok = true;
};
