// Colours come from skin files that anyone may write.

#include "legacytext.h"
#include "skincolor.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto color = SkinColor::parse(LegacyText::decode(bytes));
    if (!color)
        return 0;
    if (!color->isValid())
        abort();
    // What was accepted is the colour its three numbers name.
    const QString again =
        QStringLiteral("%1,%2,%3").arg(color->red()).arg(color->green()).arg(color->blue());
    if (SkinColor::parse(again) != color)
        abort();
    return 0;
}
