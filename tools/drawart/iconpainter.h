#pragma once

#include <QImage>

// The program's icon: a small table radio with its antenna sending waves.
// Drawn for each size so that the small ones keep only what still reads.
namespace IconPainter {

QImage paint(int size);

} // namespace IconPainter
