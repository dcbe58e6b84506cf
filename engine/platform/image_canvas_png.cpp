// PNG output of an off-screen canvas (the command-line renderer's pictures).
#include "platform/gbk.h"
#include "platform/image_canvas.h"

#include <QString>

namespace platform {

bool savePng(const ImageCanvas& canvas, std::string_view path)
{
    return canvas.image().save(QString::fromStdString(gbkToUtf8(path)), "PNG");
}

} // namespace platform
