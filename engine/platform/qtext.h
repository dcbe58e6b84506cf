// The Qt edge of engine text: GBK byte strings to and from QString.
// Everything inside the engine stays GBK; only windows and Qt calls see QString.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform {

// Bytes that are not GBK become U+FFFD.
QString toQString(std::string_view gbk);
// Characters GBK cannot hold become '?'.
std::string fromQString(const QString& text);

} // namespace platform
