// GBK <-> QString through UTF-8 (the GBK tables are iconv's, see gbk.cpp).
#include "platform/qtext.h"

#include "platform/gbk.h"

namespace platform {

QString toQString(std::string_view gbk)
{
    std::string utf8 = gbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string fromQString(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    return utf8ToGbk(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

} // namespace platform
