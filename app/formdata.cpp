// Stored form data of the program's windows, read from the embedded resources.
#include "formdata.h"

#include <QFile>
#include <QString>

std::string EmbeddedFormText(std::string_view name)
{
    QFile file(QStringLiteral(":/app/") + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}
